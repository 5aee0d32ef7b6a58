#pragma once

#include "TessaryCore/Geometry.h"

#include <string>

namespace tessary {

// A window the user can snap a selection to: its frame in global points (origin at the primary
// display's lower-left corner, y up) and the owning application's name (never empty).
struct OnScreenWindow {
    Rect frame;
    std::string appName;

    friend bool operator==(const OnScreenWindow&, const OnScreenWindow&) = default;
};

} // namespace tessary
