#pragma once

#include "TessaryCore/StackedLayout.h"

#include <cstdint>
#include <vector>

namespace tessary::SegmentStacker {

// Stacks segments top to bottom. overlaps[i] asks segment i + 1 to drop that many of its first rows because
// they repeat the end of segment i; it is clamped to the shorter neighbour's height − 1, and where it comes
// to nothing the segment is placed whole below a seam band of `seamHeight` rows. Segments of height ≤ 0 are
// skipped; an empty list or a first height ≤ 0 gives an empty layout.
StackedLayout layout(const std::vector<std::int64_t>& heights, const std::vector<std::int64_t>& overlaps,
                     std::int64_t seamHeight);

} // namespace tessary::SegmentStacker
