#include "TessaryCore/ToolbarLayout.h"

#include <gtest/gtest.h>

#include <array>

using namespace tessary;

namespace {

// Seven drawing tools, five recognition and capture tools, five finishing actions.
constexpr std::array<int, 17> toolbarGroups{0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2};

void expectRect(const Rect& actual, const Rect& expected) {
    EXPECT_DOUBLE_EQ(actual.x, expected.x);
    EXPECT_DOUBLE_EQ(actual.y, expected.y);
    EXPECT_DOUBLE_EQ(actual.width, expected.width);
    EXPECT_DOUBLE_EQ(actual.height, expected.height);
}

} // namespace

TEST(ToolbarLayoutTest, ButtonsTouchAndGroupsAreSeparated) {
    const auto layout = ToolbarLayout::layOut(toolbarGroups);
    ASSERT_EQ(layout.buttons.size(), 17u);
    ASSERT_EQ(layout.separators.size(), 2u);
    EXPECT_DOUBLE_EQ(layout.size.width, 866);
    EXPECT_DOUBLE_EQ(layout.size.height, 44);
    const struct {
        std::size_t index;
        double x;
    } buttons[] = {{0, 10}, {1, 58}, {6, 298}, {7, 361}, {11, 553}, {12, 616}, {16, 808}};
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.index);
        expectRect(layout.buttons[b.index], {b.x, 4, 48, 36});
    }
    expectRect(layout.separators[0], {353, 9, 1, 26});
    expectRect(layout.separators[1], {608, 9, 1, 26});
}

TEST(StyleBarLayoutTest, CellsAndWidthWithAndWithoutStickers) {
    const auto plain = StyleBarLayout::layOut(8, 3, 10, false);
    EXPECT_DOUBLE_EQ(plain.size.width, 349);
    EXPECT_DOUBLE_EQ(plain.size.height, 38);
    EXPECT_FALSE(plain.separator);
    EXPECT_TRUE(plain.stickers.empty());
    ASSERT_EQ(plain.colors.size(), 8u);
    ASSERT_EQ(plain.weights.size(), 3u);
    expectRect(plain.colors[0], {10, 8, 22, 22});
    expectRect(plain.colors[7], {213, 8, 22, 22});
    expectRect(plain.weights[0], {249, 8, 30, 22});
    expectRect(plain.weights[2], {309, 8, 30, 22});

    const auto stickers = StyleBarLayout::layOut(8, 3, 10, true);
    EXPECT_DOUBLE_EQ(stickers.size.width, 684);
    ASSERT_TRUE(stickers.separator);
    expectRect(*stickers.separator, {346, 9, 1, 20});
    ASSERT_EQ(stickers.stickers.size(), 10u);
    expectRect(stickers.stickers[0], {354, 8, 32, 22});
    expectRect(stickers.stickers[9], {642, 8, 32, 22});
    // The colours and weights do not move when the stickers appear.
    expectRect(stickers.weights[2], plain.weights[2]);
}

TEST(StyleBarLayoutTest, WeightsStartAfterTheGapEvenWithoutColours) {
    const auto layout = StyleBarLayout::layOut(0, 3, 0, false);
    ASSERT_EQ(layout.weights.size(), 3u);
    EXPECT_DOUBLE_EQ(layout.weights[0].x, 17);
    EXPECT_DOUBLE_EQ(layout.size.width, 117);
}
