#include "TessaryCore/ScrollingPanelLayout.h"
#include "TessaryCore/SegmentJoinState.h"

#include <gtest/gtest.h>

namespace {

using tessary::Point;
using tessary::Rect;
using tessary::ScrollingPanelLayout::ScreenArea;

TEST(ScrollingPanelLayoutTest, PlacesPanelBesideThenBelowThenAboveTheRegion) {
    // One 1440 × 900 display with a 24-point bar along the top; the panel is 268 × 392.
    const std::vector<ScreenArea> screens = {{{0, 0, 1440, 900}, {0, 0, 1440, 876}}};
    struct Case {
        const char* name;
        Rect region;
        Point expected;
    };
    const std::vector<Case> cases = {
        {"room on the right", {100, 200, 400, 500}, {514, 254}},
        {"touching the right edge: left side", {1000, 200, 440, 500}, {718, 254}},
        {"as wide as the screen: below", {0, 500, 1440, 300}, {586, 94}},
        {"wide and low: above", {0, 14, 1440, 300}, {586, 328}},
        {"near the top: kept 14 inside", {100, 600, 400, 276}, {514, 876 - 392 - 14}},
    };
    for (const Case& c : cases) {
        const Point origin = tessary::ScrollingPanelLayout::place(c.region, {268, 392}, screens);
        EXPECT_EQ(origin, c.expected) << c.name;
    }
    // The region lies on the second display: its area rules.
    const std::vector<ScreenArea> two = {{{0, 0, 1440, 900}, {0, 0, 1440, 876}},
                                         {{1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}}};
    EXPECT_EQ(tessary::ScrollingPanelLayout::place({2900, 100, 460, 800}, {268, 392}, two),
              (Point{2618, 304}));
    EXPECT_EQ(tessary::ScrollingPanelLayout::place({10, 10, 10, 10}, {268, 392}, {}), (Point{34, 14}));
}

TEST(ScrollingPanelLayoutTest, PreviewKeepsOnlyTheStripsThatFillTheView) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> heights;
        std::int64_t pixelWidth;
        std::size_t expectedDrop;
    };
    // A 236 × 230 view; 472-pixel strips are drawn at half height.
    const std::vector<Case> cases = {
        {"eight strips of 100 rows: five kept", std::vector<std::int64_t>(8, 100), 472, 3},
        {"not yet full: all kept", {100, 100, 100}, 472, 0},
        {"one tall newest strip fills it alone", {100, 100, 900}, 472, 2},
        {"width unknown", {100, 100, 900}, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tessary::ScrollingPanelLayout::stripsToDrop(c.heights, c.pixelWidth, 236, 230),
                  c.expectedDrop)
            << c.name;
    }
}

TEST(SegmentJoinStateTest, SeamsClampAndOverlapsNeverGoNegative) {
    tessary::SegmentJoinState state(3);
    EXPECT_EQ(state.seamCount(), 2);
    EXPECT_TRUE(state.navigationVisible());
    state.show(7);
    EXPECT_EQ(state.currentJoin(), 1);
    EXPECT_FALSE(state.canGoNext());
    EXPECT_TRUE(state.canGoPrevious());
    EXPECT_TRUE(state.setCurrentOverlap(120));
    EXPECT_FALSE(state.setCurrentOverlap(120));
    EXPECT_FALSE(state.setOverlap(0, -5)) << "clamped to 0, unchanged";
    EXPECT_EQ(state.overlaps(), (std::vector<std::int64_t>{0, 120}));
    EXPECT_EQ(state.alignedCount(), 1);
    EXPECT_FALSE(tessary::SegmentJoinState(2).navigationVisible());

    EXPECT_EQ(tessary::SegmentJoinState::afterArrow(5, false, true), 0);
    EXPECT_EQ(tessary::SegmentJoinState::afterArrow(5, true, true), 15);
    EXPECT_EQ(tessary::SegmentJoinState::afterArrow(0, false, false), 0);
    // 688 points showing 1376 pixels: 20 points down lowers the overlap by 40 rows.
    EXPECT_EQ(tessary::SegmentJoinState::afterDrag(100, 20, 0.5), 60);
    EXPECT_EQ(tessary::SegmentJoinState::afterDrag(10, 20, 0.5), 0);
    EXPECT_EQ(tessary::SegmentJoinState::afterDrag(10, -20, 0.5), 50);
}

} // namespace
