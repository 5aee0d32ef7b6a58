#include "TessaryCore/SegmentStacker.h"

#include <algorithm>

namespace tessary::SegmentStacker {

StackedLayout layout(const std::vector<std::int64_t>& heights, const std::vector<std::int64_t>& overlaps,
                     std::int64_t seamHeight) {
    StackedLayout result;
    if (heights.empty() || heights.front() <= 0) {
        return result;
    }
    result.placements.push_back({0, 0, heights.front(), 0});
    std::int64_t y = heights.front();
    for (std::size_t i = 1; i < heights.size(); ++i) {
        const std::int64_t height = heights[i];
        if (height <= 0) {
            continue;
        }
        const std::int64_t requested = i - 1 < overlaps.size() ? overlaps[i - 1] : 0;
        // The neighbour is the previous entry even when that segment was skipped.
        const std::int64_t overlap =
            std::min(std::min(heights[i - 1], height) - 1, std::max<std::int64_t>(requested, 0));
        const auto index = static_cast<std::int64_t>(i);
        if (overlap <= 0) {
            result.seamRows.push_back(y);
            result.placements.push_back({index, 0, height, y + seamHeight});
            y += seamHeight + height;
        } else {
            result.placements.push_back({index, overlap, height - overlap, y});
            y += height - overlap;
        }
    }
    result.height = y;
    return result;
}

} // namespace tessary::SegmentStacker
