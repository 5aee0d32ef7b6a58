#pragma once

#include <cstdint>

namespace tessary {

// Tuning of the scroll matcher and of the seam suggestion between segments. Any value is safe to pass:
// the matcher clamps `probeRows` to at least 1, the anchors and the sticky fraction to 0…1 (NaN counts as 0).
struct ScrollMatchOptions {
    // Maximum number of bands per signature row.
    std::int64_t sampleColumns = 64;
    // Upper bound on the height of the block taken from the previous frame and searched for in the current
    // one.
    std::int64_t probeRows = 64;
    // Where the probe sits in the active region, from its top (0) to its lowest position (1); tried first.
    double probeAnchor = 0.8;
    // The same, for the second attempt.
    double fallbackProbeAnchor = 0.2;
    // The best position's mean absolute sample difference must be at most this.
    double maximumMeanDifference = 10.0;
    // The runner-up's score must exceed the best one by at least this.
    double minimumSeparation = 2.0;
    // A row whose mean absolute difference between the frames is at most this counts as unchanged.
    double stickyTolerance = 3.0;
    // Neither sticky edge may be taller than this fraction of the frame height.
    double maximumStickyFraction = 0.35;
    // Rows that must be left between the sticky edges.
    std::int64_t minimumActiveRows = 24;

    friend bool operator==(const ScrollMatchOptions&, const ScrollMatchOptions&) = default;
};

} // namespace tessary
