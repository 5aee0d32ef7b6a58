#pragma once

#include "TessaryCore/SegmentPlacement.h"

#include <cstdint>
#include <vector>

namespace tessary {

// Segments stacked into one image, with a seam band wherever two of them were not joined.
struct StackedLayout {
    std::vector<SegmentPlacement> placements; // in segment order
    std::vector<std::int64_t> seamRows;       // first stacked row of each seam band
    std::int64_t height = 0;

    friend bool operator==(const StackedLayout&, const StackedLayout&) = default;
};

} // namespace tessary
