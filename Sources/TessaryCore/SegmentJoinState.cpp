#include "TessaryCore/SegmentJoinState.h"

#include <algorithm>
#include <cmath>

namespace tessary {

SegmentJoinState::SegmentJoinState(std::int64_t segmentCount)
    : overlaps_(std::size_t(std::max<std::int64_t>(segmentCount, 2) - 1), 0) {}

std::int64_t SegmentJoinState::alignedCount() const {
    return std::count_if(overlaps_.begin(), overlaps_.end(), [](std::int64_t o) { return o > 0; });
}

void SegmentJoinState::show(std::int64_t join) {
    current_ = std::clamp<std::int64_t>(join, 0, seamCount() - 1);
}

bool SegmentJoinState::setOverlap(std::int64_t seam, std::int64_t overlap) {
    if (seam < 0 || seam >= seamCount()) {
        return false;
    }
    overlap = std::max<std::int64_t>(overlap, 0);
    std::int64_t& entry = overlaps_[std::size_t(seam)];
    if (entry == overlap) {
        return false;
    }
    entry = overlap;
    return true;
}

std::int64_t SegmentJoinState::afterArrow(std::int64_t overlap, bool up, bool shift) {
    const std::int64_t step = shift ? 10 : 1;
    return std::max<std::int64_t>(0, up ? overlap + step : overlap - step);
}

std::int64_t SegmentJoinState::afterDrag(std::int64_t startOverlap, double dy, double scale) {
    if (!(scale > 0)) {
        scale = 1;
    }
    const auto delta = std::int64_t(std::llround(dy / scale));
    return std::max<std::int64_t>(0, startOverlap - delta);
}

} // namespace tessary
