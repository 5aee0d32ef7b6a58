#include "TessaryCore/ReadingOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace tessary;

namespace {

// A box of the given height centred at midY (normalised, y up).
Rect box(double minX, double midY, double height, double width = 0.2) {
    return {minX, midY - height / 2, width, height};
}

RecognizedLine line(const char* text, Rect rect) {
    return {rect, text};
}

struct PrecedenceCase {
    const char* name;
    Rect a;
    Rect b;
    bool aFirst;
    bool bFirst;
};

TEST(ReadingOrderTest, SameLineRuleUsesSixTenthsOfTheTallerBox) {
    const std::vector<PrecedenceCase> cases = {
        {"a left of b, centres equal", box(0.1, 0.5, 0.1), box(0.5, 0.5, 0.1), true, false},
        {"just under the threshold, b taller and higher: still one line", box(0.1, 0.5, 0.05),
         box(0.5, 0.5 + 0.599 * 0.1, 0.1), true, false},
        {"just over the threshold, b taller and higher: b first", box(0.1, 0.5, 0.05),
         box(0.5, 0.5 + 0.601 * 0.1, 0.1), false, true},
        {"just under the threshold, a taller and lower: one line", box(0.6, 0.5, 0.1),
         box(0.1, 0.5 + 0.599 * 0.1, 0.02), false, true},
        {"just over the threshold, a taller and lower: b first", box(0.1, 0.5, 0.1),
         box(0.6, 0.5 + 0.601 * 0.1, 0.02), false, true},
        {"the shorter box does not set the threshold", box(0.5, 0.5, 0.02), box(0.1, 0.48, 0.05), false,
         true},
        {"higher first even when further right", box(0.8, 0.9, 0.05), box(0.0, 0.2, 0.05), true, false},
        {"same place: neither first", box(0.3, 0.5, 0.05), box(0.3, 0.5, 0.05), false, false},
        {"same left edge on one line: neither first", box(0.3, 0.5, 0.05), box(0.3, 0.51, 0.06), false,
         false},
        {"flipped boxes count by extent", Rect{0.3, 0.52, 0.2, -0.04}, box(0.1, 0.5, 0.04), false, true},
    };
    for (const PrecedenceCase& c : cases) {
        EXPECT_EQ(ReadingOrder::precedes(c.a, c.b), c.aFirst) << c.name;
        EXPECT_EQ(ReadingOrder::precedes(c.b, c.a), c.bFirst) << c.name;
    }
}

struct AssemblyCase {
    const char* name;
    std::vector<RecognizedLine> lines;
    std::string expected;
};

TEST(ReadingOrderTest, AssemblesLinesInReadingOrder) {
    const double h = 0.05;
    const std::vector<AssemblyCase> cases = {
        {"nothing", {}, ""},
        {"one line, no trailing line feed", {line("only", box(0.1, 0.5, h))}, "only"},
        {"bottom-up recognition order is read top down",
         {line("third", box(0.1, 0.2, h)), line("second", box(0.1, 0.5, h)), line("first", box(0.1, 0.8, h))},
         "first\nsecond\nthird"},
        {"two columns read row by row",
         {line("L1", box(0.05, 0.9, h)), line("L2", box(0.05, 0.8, h)), line("L3", box(0.05, 0.7, h)),
          line("R1", box(0.55, 0.9, h)), line("R2", box(0.55, 0.8, h)), line("R3", box(0.55, 0.7, h))},
         "L1\nR1\nL2\nR2\nL3\nR3"},
        {"two words on one slanted line come left to right",
         {line("right", box(0.6, 0.52, h)), line("left", box(0.1, 0.5, h))},
         "left\nright"},
        {"words a line apart: the higher one first",
         {line("lower-left", box(0.1, 0.5, h)), line("upper-right", box(0.6, 0.5 + 0.61 * h, h))},
         "upper-right\nlower-left"},
        {"identical boxes keep recognition order",
         {line("b", box(0.2, 0.5, h)), line("a", box(0.2, 0.5, h)), line("c", box(0.2, 0.5, h))},
         "b\na\nc"},
        {"empty and blank texts stay as lines",
         {line("top", box(0.1, 0.9, h)), line("", box(0.1, 0.7, h)), line(" ", box(0.1, 0.5, h)),
          line("bottom", box(0.1, 0.3, h))},
         "top\n\n \nbottom"},
        {"texts are not trimmed",
         {line("  a b  ", box(0.1, 0.9, h)), line("\tc", box(0.1, 0.1, h))},
         "  a b  \n\tc"},
    };
    for (const AssemblyCase& c : cases) {
        EXPECT_EQ(ReadingOrder::assemble(c.lines), c.expected) << c.name;
    }
}

// Overlapping boxes can chain ("same line" is not transitive). Whatever the input, sorting must
// keep every line exactly once and leave no neighbour that should have come first.
TEST(ReadingOrderTest, SortingArbitraryBoxesKeepsEveryLineAndOrdersNeighbours) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 50; ++round) {
        std::vector<RecognizedLine> lines;
        const int count = 1 + static_cast<int>(random() % 120);
        for (int i = 0; i < count; ++i) {
            const double height = 0.005 + unit(random) * 0.1;
            lines.push_back(
                {box(unit(random), unit(random), height, 0.01 + unit(random) * 0.3), std::to_string(i)});
        }
        const std::vector<RecognizedLine> result = ReadingOrder::sorted(lines);
        ASSERT_EQ(result.size(), lines.size());
        EXPECT_TRUE(
            std::is_permutation(result.begin(), result.end(), lines.begin(), lines.end(),
                                [](const RecognizedLine& a, const RecognizedLine& b) { return a == b; }));
        for (size_t i = 1; i < result.size(); ++i) {
            EXPECT_FALSE(ReadingOrder::precedes(result[i].boundingBox, result[i - 1].boundingBox))
                << "round " << round << " position " << i;
        }
    }
}

} // namespace
