#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/OnScreenWindow.h"
#include "TessaryCore/WindowDescription.h"

#include <cstdint>
#include <vector>

namespace tessary::WindowGeometry {

// Flips a rectangle from the window server's space (origin at the primary display's top-left,
// y down) into global points (origin at the primary display's lower-left, y up).
Rect appKitRect(const Rect& cgGlobal, double primaryDisplayHeight);

// Moves a global rectangle into the coordinates of a canvas covering the display `screenFrame`.
Rect canvasRect(const Rect& appKitGlobal, const Rect& screenFrame);

// Windows worth snapping to, in the given (front-most first) order: not owned by `excludingPID`,
// layer 0...8, alpha above 0.01, at least 16 x 16 points, with an owner name.
std::vector<OnScreenWindow> candidateWindows(const std::vector<WindowDescription>& descriptions,
                                             std::int64_t excludingPID, double primaryDisplayHeight);

} // namespace tessary::WindowGeometry
