#include "TessaryCore/ColumnGaps.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessary;
using ColumnGaps::Segment;
using ColumnGaps::Word;

namespace {

// A word of height 20 (pixels) from x to x + width.
Word word(const char* text, double x, double width, double height = 20) {
    return {{x, 100, width, height}, text};
}

struct GapCase {
    const char* name;
    std::vector<Word> words;
    std::vector<Segment> expected;
};

TEST(ColumnGapsTest, CutsLinesOnlyAtGapsWiderThanTwoLineHeights) {
    const std::vector<GapCase> cases = {
        {"no words", {}, {}},
        {"one word", {word("alone", 10, 50)}, {{{10, 100, 50, 20}, "alone"}}},
        {"word spaces",
         {word("Save", 10, 40), word("as", 56, 20), word("PNG", 82, 38)},
         {{{10, 100, 110, 20}, "Save as PNG"}}},
        {"a gap of exactly two heights stays",
         {word("Name", 10, 50), word("value", 100, 50)},
         {{{10, 100, 140, 20}, "Name value"}}},
        {"a gap just over two heights cuts",
         {word("Name", 10, 50), word("value", 100.5, 50)},
         {{{10, 100, 50, 20}, "Name"}, {{100.5, 100, 50, 20}, "value"}}},
        {"three columns",
         {word("Capture", 0, 70), word("screen", 76, 60), word("Save", 300, 40), word("as", 346, 20),
          word("PNG", 372, 38), word("Pin", 600, 30)},
         {{{0, 100, 136, 20}, "Capture screen"},
          {{300, 100, 110, 20}, "Save as PNG"},
          {{600, 100, 30, 20}, "Pin"}}},
        {"the tallest word sets the height",
         {word("a", 0, 10, 8), word("b", 40, 10, 8), Word{{80, 96, 10, 28}, "T"}},
         {{{0, 96, 90, 28}, "a b T"}}},
        {"boxes drawn right to left count by extent",
         {Word{{60, 100, -50, 20}, "one"}, word("two", 200, 40)},
         {{{10, 100, 50, 20}, "one"}, {{200, 100, 40, 20}, "two"}}},
    };
    for (const GapCase& c : cases) {
        EXPECT_EQ(ColumnGaps::split(c.words), c.expected) << c.name;
    }
}

} // namespace
