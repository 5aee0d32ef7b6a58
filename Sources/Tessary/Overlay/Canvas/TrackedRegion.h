#pragma once

#include "TessaryCore/Geometry.h"

// The last drawn area of something that moves (a label, the readout); empty when nothing is drawn.
struct TrackedRegion {
    tessary::Rect current;
};
