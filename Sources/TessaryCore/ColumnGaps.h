#pragma once

#include "TessaryCore/Geometry.h"

#include <string>
#include <vector>

namespace tessary::ColumnGaps {

// A recognised word and its box; any unit, the same on both axes.
struct Word {
    Rect box;
    std::string text;
};

// A run of words with its box (their union) and text (the words joined by single spaces).
struct Segment {
    Rect box;
    std::string text;

    friend bool operator==(const Segment&, const Segment&) = default;
};

// Gaps wider than this many line heights separate columns, not words.
inline constexpr double columnGapFactor = 2.0;

// Cuts the words of one recognised line, in order, where the horizontal gap between neighbours
// exceeds columnGapFactor × the line's height (its tallest word). Line recognisers report cells of
// a table or of side-by-side columns as one line padded with spaces; read as separate lines, they
// interleave with their neighbours in reading order.
std::vector<Segment> split(const std::vector<Word>& words);

} // namespace tessary::ColumnGaps
