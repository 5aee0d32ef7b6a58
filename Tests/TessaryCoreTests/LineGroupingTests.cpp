#include "TessaryCore/LineGrouping.h"
#include "TessaryCore/LineMetrics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessary;

namespace {

// A line piece 18 pixels high whose top is at `top`.
DocumentLine piece(const char* text, double x, double top, double width = 200) {
    return {text, {x, top, width, 18}};
}

std::vector<std::string> transcripts(const std::vector<DocumentTextItem>& items) {
    std::vector<std::string> result;
    for (const DocumentTextItem& item : items) {
        result.push_back(item.transcript);
    }
    return result;
}

struct GroupingCase {
    const char* name;
    std::vector<std::vector<DocumentLine>> lines;
    std::vector<std::string> expected;
};

TEST(LineGroupingTest, SplitsColumnsAndWidelySpacedRowsKeepsRunningText) {
    const std::vector<GroupingCase> cases = {
        {"no lines", {}, {}},
        {"running text, lines 27 apart",
         {{piece("The new version", 40, 100)}, {piece("was released", 40, 127)}, {piece("today.", 40, 154)}},
         {"The new version\nwas released\ntoday."}},
        {"settings rows 55 apart",
         {{piece("Launch at login", 40, 100)}, {piece("Show notifications", 40, 155)}},
         {"Launch at login", "Show notifications"}},
        {"a gap of exactly one line height still joins",
         {{piece("first", 40, 100)}, {piece("second", 40, 136)}},
         {"first\nsecond"}},
        {"two columns in every line",
         {{piece("General Settings", 40, 100), piece("Delete this file?", 700, 100)},
          {piece("Launch at login", 40, 124), piece("This cannot be undone.", 700, 124)}},
         {"General Settings\nLaunch at login", "Delete this file?\nThis cannot be undone."}},
        {"a piece under nothing starts its own paragraph",
         {{piece("left", 40, 100)}, {piece("left again", 40, 124), piece("right", 700, 124)}},
         {"left\nleft again", "right"}},
        {"empty pieces are dropped", {{piece("", 40, 100), piece("kept", 300, 100)}}, {"kept"}},
    };
    for (const GroupingCase& c : cases) {
        EXPECT_EQ(transcripts(LineGrouping::group(c.lines, TextBlockAlignment::center)), c.expected)
            << c.name;
    }
}

TEST(LineGroupingTest, GroupsTakeTheirLinesBoxesAndKeepAlignmentOnlyWhenWhole) {
    const std::vector<DocumentTextItem> whole = LineGrouping::group(
        {{piece("one", 40, 100, 100)}, {piece("two", 30, 124, 150)}}, TextBlockAlignment::center);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].box, (Rect{30, 100, 150, 42}));
    EXPECT_EQ(whole[0].lines.size(), 2u);
    EXPECT_EQ(whole[0].alignment, TextBlockAlignment::center);

    const std::vector<DocumentTextItem> split =
        LineGrouping::group({{piece("left", 40, 100), piece("right", 700, 100)}}, TextBlockAlignment::center);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[1].box, (Rect{700, 100, 200, 18}));
    EXPECT_FALSE(split[0].alignment.has_value());
}

TEST(LineMetricsTest, LinesOfOneSizeGetOneHeightWhateverTheirLetters) {
    // An 18-pixel font: capitals reach 13.5 pixels above the baseline at row 200.
    const Rect capsOnly{10, 186.5, 120, 13.5};       // "Show notifications"
    const Rect withDescenders{10, 186.5, 120, 17.5}; // "Launch at login"
    const Rect a = LineMetrics::typographicBox(capsOnly, 200.0);
    const Rect b = LineMetrics::typographicBox(withDescenders, 200.0);
    EXPECT_NEAR(a.height, b.height, 0.01);
    EXPECT_NEAR(a.height, (LineMetrics::boxAbove + LineMetrics::boxBelow) * 18, 0.01);
    EXPECT_NEAR(a.minY(), 200 - LineMetrics::boxAbove * 18, 0.01);
    EXPECT_EQ(a.x, 10);
    EXPECT_EQ(a.width, 120);

    // No baseline, or one that does not lie under the ink: the ink as it is.
    EXPECT_EQ(LineMetrics::typographicBox(capsOnly, std::nullopt), capsOnly);
    EXPECT_EQ(LineMetrics::typographicBox(capsOnly, 186.0), capsOnly);
    EXPECT_EQ(LineMetrics::typographicBox(capsOnly, 240.0), capsOnly);
    // The box never cuts into the ink: a deep descender stays inside.
    const Rect deep = LineMetrics::typographicBox({10, 186.5, 120, 30}, 200.0);
    EXPECT_GE(deep.maxY(), 216.5);
}

} // namespace
