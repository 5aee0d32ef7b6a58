#pragma once

#include "TessaryCore/Geometry.h"

#include <vector>

namespace tessary::TranslationProgressPlacement {

// Lower-left corner (global points, y up) of the translation progress panel: centred 12 points
// above the selection, below it when the first screen the selection touches has no room above,
// and then kept 8 points inside that screen's sides. Without such a screen it stays unclamped.
Point origin(const Rect& selection, Size panel, const std::vector<Rect>& screens);

} // namespace tessary::TranslationProgressPlacement
