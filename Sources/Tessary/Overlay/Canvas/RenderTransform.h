#pragma once

#include "TessaryCore/Geometry.h"

#include <QTransform>

// Model points (y up) onto a y-down target. The live canvas and the exported image both draw
// annotations through this transform, so they agree to the pixel.
namespace RenderTransform {

// Maps `source` (in model points) onto a target `targetHeight` units high, `scale` target units per
// point: the source's lower-left corner lands at (0, targetHeight), its upper-left corner at (0, 0).
// The canvas passes its bounds, 1 and its height; the export passes the selection, the display scale
// and the crop's pixel height.
QTransform modelToTarget(const tessary::Rect& source, double scale, double targetHeight);

} // namespace RenderTransform
