#include "TessaryCore/BarStackLayout.h"
#include "TessaryCore/NoticeLayout.h"
#include "TessaryCore/OverlayLabelLayout.h"
#include "TessaryCore/PerfStatistics.h"
#include "TessaryCore/PixelColor.h"

#include <gtest/gtest.h>

using namespace tessary;

namespace {

const Rect bounds{0, 0, 1000, 800};

void expectRect(const Rect& actual, const Rect& expected) {
    EXPECT_DOUBLE_EQ(actual.x, expected.x);
    EXPECT_DOUBLE_EQ(actual.y, expected.y);
    EXPECT_DOUBLE_EQ(actual.width, expected.width);
    EXPECT_DOUBLE_EQ(actual.height, expected.height);
}

} // namespace

TEST(OverlayLabelLayoutTest, SizeLabelSitsAboveAndMovesInsideNearTheTop) {
    const struct {
        const char* name;
        Rect rect;
        Rect background;
    } cases[] = {
        {"above the selection", {100, 100, 200, 100}, {100, 206, 97, 22}},
        {"inside the top near the display's top edge", {100, 700, 200, 95}, {100, 767, 97, 22}},
        {"kept 2 points from the right edge", {950, 100, 40, 40}, {901, 146, 97, 22}},
        {"kept 2 points from the left edge", {0, 100, 40, 40}, {2, 146, 97, 22}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto label = OverlayLabelLayout::sizeLabel(c.rect, {80.3, 15.2}, bounds);
        expectRect(label.background, c.background);
        EXPECT_DOUBLE_EQ(label.textOrigin.x, c.background.x + 8);
        EXPECT_DOUBLE_EQ(label.textOrigin.y, c.background.y + 3);
    }
}

TEST(OverlayLabelLayoutTest, WindowNameLabelHangsUnderTheSizeLabel) {
    const struct {
        const char* name;
        Rect sizeLabel;
        Size text;
        Rect background;
        Rect textRect;
    } cases[] = {
        {"below", {100, 206, 97, 22}, {300.2, 14.1}, {100, 181, 317, 21}, {108, 184, 301, 15}},
        {"long name is cut at the canvas width",
         {100, 206, 97, 22},
         {2000, 14.1},
         {8, 181, 984, 21},
         {16, 184, 968, 15}},
        {"kept 8 points above the bottom",
         {100, 10, 97, 22},
         {300.2, 14.1},
         {100, 8, 317, 21},
         {108, 11, 301, 15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto label = OverlayLabelLayout::windowNameLabel(c.sizeLabel, c.text, bounds);
        expectRect(label.background, c.background);
        expectRect(label.textRect, c.textRect);
    }
    EXPECT_DOUBLE_EQ(OverlayLabelLayout::windowNameMaxTextWidth({0, 0, 50, 50}), 40);
}

TEST(OverlayLabelLayoutTest, ColorPickerFollowsThePointerAndStaysInside) {
    const struct {
        const char* name;
        Point pointer;
        Rect magnifier;
        Rect panel;
    } cases[] = {
        {"right of and below the pointer", {500, 400}, {514, 254, 132, 132}, {503, 174, 154, 76}},
        {"flips left at the top-right corner", {1000, 800}, {854, 654, 132, 132}, {838, 574, 154, 76}},
        {"flips up at the bottom-left corner, panel on top", {0, 0}, {14, 14, 132, 132}, {8, 150, 154, 76}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto layout = OverlayLabelLayout::colorPicker(c.pointer, bounds);
        expectRect(layout.magnifier, c.magnifier);
        expectRect(layout.panel, c.panel);
    }
}

TEST(OverlayLabelLayoutTest, MagnifierSampleStaysInsideTheImage) {
    EXPECT_EQ(OverlayLabelLayout::magnifierSample({50, 50}, 100, 100), (PixelRect{44, 44, 13, 13}));
    EXPECT_EQ(OverlayLabelLayout::magnifierSample({0, 0}, 100, 100), (PixelRect{0, 0, 13, 13}));
    EXPECT_EQ(OverlayLabelLayout::magnifierSample({99, 50}, 100, 100), (PixelRect{87, 44, 13, 13}));
    EXPECT_EQ(OverlayLabelLayout::magnifierSample({2, 3}, 5, 8), (PixelRect{0, 1, 5, 5}));
    EXPECT_TRUE(OverlayLabelLayout::magnifierSample({0, 0}, 0, 8).isEmpty());
}

TEST(OverlayLabelLayoutTest, ReadoutHangsFarBelowThePointerOrAboveNearTheBottom) {
    const OverlayLabelLayout::ReadoutMetrics metrics{40, 17, 200, 66};
    const auto below = OverlayLabelLayout::readout({500, 500}, bounds, metrics);
    expectRect(below.background, {392, 214, 216, 67});
    EXPECT_DOUBLE_EQ(below.labelX, 400);
    EXPECT_DOUBLE_EQ(below.valueX, 456);
    EXPECT_DOUBLE_EQ(below.row1Y, 261);
    EXPECT_DOUBLE_EQ(below.row2Y, 239);
    EXPECT_DOUBLE_EQ(below.hintY, 217);

    const auto above = OverlayLabelLayout::readout({50, 100}, bounds, metrics);
    expectRect(above.background, {0, 320, 216, 67});
}

TEST(NoticeLayoutTest, DisplayTimeGrowsWithTheTextWithinBounds) {
    const struct {
        std::size_t characters;
        bool clickable;
        double seconds;
    } cases[] = {{10, false, 3}, {40, false, 6.4}, {100, false, 9},
                 {0, false, 3},  {10, true, 12},   {100, true, 12}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(NoticeLayout::displaySeconds(c.characters, c.clickable), c.seconds) << c.characters;
    }
}

TEST(NoticeLayoutTest, BarWidthFitsTheTextBetweenMinimumAndScreen) {
    EXPECT_DOUBLE_EQ(NoticeLayout::barWidth(1000, 50.2), 120);
    EXPECT_DOUBLE_EQ(NoticeLayout::barWidth(1000, 300), 343);
    EXPECT_DOUBLE_EQ(NoticeLayout::barWidth(100, 300), 120);
    EXPECT_DOUBLE_EQ(NoticeLayout::barWidth(1000, 2000), 1000);
    EXPECT_DOUBLE_EQ(NoticeLayout::maxBarWidth(Rect{0, 0, 1920, 1050}), 1840);
    EXPECT_DOUBLE_EQ(NoticeLayout::maxBarWidth(std::nullopt), 820);
}

TEST(NoticeLayoutTest, PositionUnderTheAnchorAboveNearTheBottomCentredWithout) {
    const Rect visible{0, 0, 1920, 1050};
    const struct {
        const char* name;
        std::optional<Rect> anchor;
        std::optional<Rect> visible;
        Point expected;
    } cases[] = {
        {"no anchor: bottom centre", std::nullopt, visible, {860, 80}},
        {"under the anchor", Rect{100, 500, 400, 300}, visible, {200, 458}},
        {"above an anchor near the bottom", Rect{100, 20, 400, 300}, visible, {200, 332}},
        {"kept 12 points from the left", Rect{0, 500, 100, 100}, visible, {12, 458}},
        {"kept 12 points from the top", Rect{100, 5000, 10, 10}, visible, {12, 1008}},
        {"no screen at all", std::nullopt, std::nullopt, {620, 80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Point p = NoticeLayout::position(c.anchor, c.visible, {200, 30});
        EXPECT_DOUBLE_EQ(p.x, c.expected.x);
        EXPECT_DOUBLE_EQ(p.y, c.expected.y);
    }
}

TEST(BarStackLayoutTest, BarsStackBelowAboveOrInsideTheSelection) {
    const Size toolbar{866, 44};
    const struct {
        const char* name;
        Rect selection;
        Rect expected;
    } cases[] = {
        {"below, kept 8 points from the left", {100, 300, 500, 200}, {8, 248, 866, 44}},
        {"above a selection 20 points over the bottom", {300, 20, 600, 300}, {34, 328, 866, 44}},
        {"inside a full-display selection", {0, 0, 1000, 800}, {126, 8, 866, 44}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frames = BarStackLayout::layOut(c.selection, bounds, toolbar, std::nullopt, std::nullopt);
        expectRect(frames.toolbar, c.expected);
        EXPECT_FALSE(frames.styleBar);
        EXPECT_FALSE(frames.notice);
    }
    const auto full =
        BarStackLayout::layOut({100, 300, 800, 200}, bounds, toolbar, Size{349, 38}, Size{300, 30});
    expectRect(full.toolbar, {34, 248, 866, 44});
    ASSERT_TRUE(full.styleBar && full.notice);
    expectRect(*full.styleBar, {551, 204, 349, 38});
    expectRect(*full.notice, {600, 168, 300, 30});
    const auto noticeOnly =
        BarStackLayout::layOut({100, 300, 800, 200}, bounds, toolbar, std::nullopt, Size{300, 30});
    ASSERT_TRUE(noticeOnly.notice);
    expectRect(*noticeOnly.notice, {600, 212, 300, 30});
}

TEST(PerfStatisticsTest, PercentileRoundsTheIndexHalfAwayFromZero) {
    const std::vector<double> ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const struct {
        double p;
        double expected;
    } cases[] = {{0, 1}, {0.5, 6}, {0.95, 10}, {1, 10}, {2, 10}, {-1, 1}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(PerfStatistics::percentile(ten, c.p), c.expected) << c.p;
    }
    EXPECT_DOUBLE_EQ(PerfStatistics::percentile({1, 2}, 0.5), 2);
    EXPECT_DOUBLE_EQ(PerfStatistics::percentile({}, 0.5), 0);
    EXPECT_DOUBLE_EQ(PerfStatistics::mean({1, 2, 6}), 3);
}

TEST(PerfStatisticsTest, ProbePathIsATriangleWaveOf240Frames) {
    const struct {
        long long frame;
        Size canvas;
        Point expected;
    } cases[] = {
        {0, {1520, 1020}, {260, 260}},   {60, {1520, 1020}, {760, 510}},  {120, {1520, 1020}, {1260, 760}},
        {180, {1520, 1020}, {760, 510}}, {240, {1520, 1020}, {260, 260}}, {120, {100, 100}, {261, 261}},
    };
    for (const auto& c : cases) {
        const Point p = PerfStatistics::probePoint(c.frame, c.canvas);
        EXPECT_DOUBLE_EQ(p.x, c.expected.x) << c.frame;
        EXPECT_DOUBLE_EQ(p.y, c.expected.y) << c.frame;
    }
}

TEST(PixelColorTest, ClipboardAndHexTexts) {
    const struct {
        PixelColor color;
        const char* hex;
        const char* clipboard;
    } cases[] = {
        {{255, 0, 0}, "#FF0000", "#FF0000  RGB(255, 0, 0)"},
        {{255, 128, 0}, "#FF8000", "#FF8000  RGB(255, 128, 0)"},
        {{1, 2, 171}, "#0102AB", "#0102AB  RGB(1, 2, 171)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.color.hexString(), c.hex);
        EXPECT_EQ(c.color.clipboardString(), c.clipboard);
    }
}
