#pragma once

#include <cstdint>
#include <vector>

namespace tessary {

// The choices of the manual alignment window: one overlap per seam between consecutive segments (rows of
// the lower segment hidden under the upper one, never negative) and the seam being shown.
class SegmentJoinState {
public:
    // At least one seam: `segmentCount` below 2 is treated as 2.
    explicit SegmentJoinState(std::int64_t segmentCount);

    std::int64_t seamCount() const { return std::int64_t(overlaps_.size()); }
    const std::vector<std::int64_t>& overlaps() const { return overlaps_; }
    std::int64_t currentJoin() const { return current_; }
    std::int64_t currentOverlap() const { return overlaps_[std::size_t(current_)]; }
    std::int64_t alignedCount() const;

    // Clamped to the seams.
    void show(std::int64_t join);
    bool canGoPrevious() const { return current_ > 0; }
    bool canGoNext() const { return current_ < seamCount() - 1; }
    bool navigationVisible() const { return seamCount() > 1; }

    // Both return whether the overlap changed; it never drops below 0.
    bool setOverlap(std::int64_t seam, std::int64_t overlap);
    bool setCurrentOverlap(std::int64_t overlap) { return setOverlap(current_, overlap); }

    // Arrow keys: up raises the overlap, down lowers it, by 10 with Shift.
    static std::int64_t afterArrow(std::int64_t overlap, bool up, bool shift);
    // A drag `dy` view points down from where it began, at `scale` view points per pixel row.
    static std::int64_t afterDrag(std::int64_t startOverlap, double dy, double scale);

private:
    std::vector<std::int64_t> overlaps_;
    std::int64_t current_ = 0;
};

} // namespace tessary
