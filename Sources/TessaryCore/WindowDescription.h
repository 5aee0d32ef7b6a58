#pragma once

#include "TessaryCore/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessary {

// One entry of the window server's list as the server reports it. An empty field stands for a
// key that was missing or held a value of the wrong kind; the candidate filter rejects such windows.
struct WindowDescription {
    std::optional<std::int64_t> ownerPID;
    std::optional<std::int64_t> layer;
    std::optional<double> alpha;
    // Window-server global coordinates: points, y down. The candidate filter expects the origin
    // at the primary display's top-left corner.
    std::optional<Rect> bounds;
    std::optional<std::string> ownerName;

    friend bool operator==(const WindowDescription&, const WindowDescription&) = default;
};

} // namespace tessary
