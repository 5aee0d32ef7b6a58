#pragma once

#include "TessaryCore/StickyEdges.h"

#include <cstdint>
#include <limits>

namespace tessary {

// A trusted answer to "how far did the content move between two frames".
struct ScrollMatch {
    // Rows the content moved from the previous to the current frame: positive when it moved up (new rows at
    // the bottom), negative when it moved down (new rows at the top).
    std::int64_t offset = 0;
    StickyEdges sticky;
    // Mean absolute sample difference at the accepted position.
    double meanDifference = 0.0;
    // Best score outside the exclusion radius around the accepted position; +∞ when there is none.
    double runnerUpDifference = std::numeric_limits<double>::infinity();
    // Every row of the two frames was unchanged, so no search ran and `sticky` (0/0) says nothing about
    // fixed headers or footers.
    bool sameContent = false;

    friend bool operator==(const ScrollMatch&, const ScrollMatch&) = default;
};

} // namespace tessary
