#pragma once

#include <cstdint>

namespace tessary {

// Where one segment's rows go in the stacked image.
struct SegmentPlacement {
    std::int64_t index = 0;     // which segment
    std::int64_t sourceRow = 0; // first row taken from that segment
    std::int64_t rowCount = 0;
    std::int64_t canvasRow = 0; // row in the stacked image

    friend bool operator==(const SegmentPlacement&, const SegmentPlacement&) = default;
};

} // namespace tessary
