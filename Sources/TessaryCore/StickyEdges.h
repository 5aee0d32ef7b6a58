#pragma once

#include <cstdint>

namespace tessary {

// Rows at the top and bottom of a captured area that stayed unchanged between two frames (fixed toolbars,
// table headers, footers): they must not be stitched in again with every frame.
struct StickyEdges {
    std::int64_t top = 0;
    std::int64_t bottom = 0;

    static constexpr StickyEdges none() { return {}; }

    friend bool operator==(const StickyEdges&, const StickyEdges&) = default;
};

} // namespace tessary
