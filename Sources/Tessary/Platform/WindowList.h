#pragma once

#include "TessaryCore/WindowDescription.h"

#include <optional>
#include <vector>

// The window server's list of on-screen windows, front-most first. Bounds are in Qt's global
// logical coordinates (points, y down); fields the server does not report, or reports with the
// wrong type, stay empty. Returns nothing when the list itself cannot be read.
class WindowList {
public:
    virtual ~WindowList() = default;

    virtual std::optional<std::vector<tessary::WindowDescription>> onScreenWindows() = 0;
};
