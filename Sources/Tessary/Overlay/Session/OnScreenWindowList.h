#pragma once

#include "TessaryCore/OnScreenWindow.h"
#include "TessaryCore/WindowDescription.h"

#include <cstdint>
#include <vector>

class WindowList;

// Windows a selection can snap to, taken once per capture before any overlay exists.
namespace OnScreenWindowList {

// The current candidates, front-most first (main thread).
std::vector<tessary::OnScreenWindow> snapshot(WindowList& windowList);

// The pure filter: `descriptions` carry bounds with the origin at the primary display's top-left.
std::vector<tessary::OnScreenWindow> windows(const std::vector<tessary::WindowDescription>& descriptions,
                                             std::int64_t excludingPID, double primaryDisplayHeight);

} // namespace OnScreenWindowList
