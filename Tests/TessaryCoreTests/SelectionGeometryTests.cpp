#include "TessaryCore/SelectionGeometry.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tessary;
namespace SG = tessary::SelectionGeometry;

namespace {

void expectRect(const Rect& actual, const Rect& expected) {
    EXPECT_DOUBLE_EQ(actual.x, expected.x);
    EXPECT_DOUBLE_EQ(actual.y, expected.y);
    EXPECT_DOUBLE_EQ(actual.width, expected.width);
    EXPECT_DOUBLE_EQ(actual.height, expected.height);
}

struct CropCase {
    const char* name;
    Rect selection;
    double canvasHeight;
    double scale;
    int imageWidth;
    int imageHeight;
    std::optional<PixelRect> expected;
};

} // namespace

TEST(SelectionGeometryTest, CropRuleMapsYUpPointsToTopDownPixelRows) {
    const CropCase cases[] = {
        {"2x, 10.25 pt rounds half away to column 21",
         {10.25, 10, 20, 10},
         50,
         2,
         200,
         100,
         PixelRect{21, 60, 40, 20}},
        {"1x whole canvas", {0, 0, 100, 50}, 50, 1, 100, 50, PixelRect{0, 0, 100, 50}},
        {"1.5x rounds every component", {1.5, 0.5, 3, 3}, 10, 1.5, 15, 15, PixelRect{2, 10, 5, 5}},
        {"one point square is kept", {5, 5, 1, 1}, 10, 1, 10, 10, PixelRect{5, 4, 1, 1}},
        {"half a point wide yields nothing", {5, 5, 0.5, 20}, 50, 1, 100, 50, std::nullopt},
        {"half a point high yields nothing", {5, 5, 20, 0.5}, 50, 1, 100, 50, std::nullopt},
        {"sticking out is clipped to the image", {-10, 40, 30, 20}, 50, 1, 100, 50, PixelRect{0, 0, 20, 10}},
        {"outside the image yields nothing", {200, 0, 10, 10}, 50, 1, 100, 50, std::nullopt},
        {"negative size is normalised", {30, 20, -20, -10}, 50, 1, 100, 50, PixelRect{10, 30, 20, 10}},
        {"rounding past the bottom row is clipped",
         {0, 0, 10, 1.25},
         50,
         2,
         200,
         100,
         PixelRect{0, 98, 20, 2}},
    };
    for (const CropCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SG::cropRect(c.selection, c.canvasHeight, c.scale, c.imageWidth, c.imageHeight),
                  c.expected);
    }
}

TEST(SelectionGeometryTest, PixelUnderPointIsClampedIntoTheImage) {
    const struct {
        Point point;
        PixelPoint expected;
    } cases[] = {
        {{99.9, 0}, {199, 99}}, // last column and bottom row of a 2x display, never the size itself
        {{100, 50}, {199, 0}},  // the far corner
        {{10.25, 49.75}, {20, 0}}, {{-5, 60}, {0, 0}}, // outside the bounds
        {{50, 25}, {100, 50}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SG::pixelUnder(c.point, {100, 50}, 200, 100), c.expected) << c.point.x << "," << c.point.y;
    }
    EXPECT_EQ(SG::pixelUnder({5, 5}, {0, 0}, 200, 100), (PixelPoint{0, 0}));
}

TEST(SelectionGeometryTest, HandleHitAreasReachNinePointsFromTheHandleInHitOrder) {
    const Rect selection{100, 100, 200, 100};
    const struct {
        Point point;
        std::optional<SelectionHandle> expected;
    } cases[] = {
        {{92, 208}, SelectionHandle::topLeft}, // 8 points outside the corner
        {{90, 210}, std::nullopt},             // 10 points outside
        {{200, 200}, SelectionHandle::top},
        {{300, 150}, SelectionHandle::right},
        {{308, 92}, SelectionHandle::bottomRight},
        {{200, 100}, SelectionHandle::bottom},
        {{100, 100}, SelectionHandle::bottomLeft},
        {{95, 150}, SelectionHandle::left},
        {{200, 150}, std::nullopt}, // the middle
        {{109, 200}, std::nullopt}, // the far edge of an area is outside it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SG::hitHandle(selection, c.point), c.expected) << c.point.x << "," << c.point.y;
    }
    // On a tiny selection the areas overlap and the first handle in order wins.
    EXPECT_EQ(SG::hitHandle({0, 0, 4, 4}, {2, 2}), SelectionHandle::topLeft);
}

TEST(SelectionGeometryTest, ResizingMovesTheHandlesEdgesAndFlipsPastTheOppositeEdge) {
    const Rect origin{100, 100, 200, 100};
    const struct {
        SelectionHandle handle;
        Point point;
        Rect expected;
    } cases[] = {
        {SelectionHandle::left, {350, 150}, {300, 100, 50, 100}}, // past the right edge: flipped, 50 wide
        {SelectionHandle::topRight, {400, 250}, {100, 100, 300, 150}},
        {SelectionHandle::bottom, {0, 50}, {100, 50, 200, 150}}, // x of the pointer is ignored
        {SelectionHandle::top, {0, 50}, {100, 50, 200, 50}},     // below the bottom edge
        {SelectionHandle::bottomLeft, {120, 120}, {120, 120, 180, 80}},
        {SelectionHandle::right, {300, 999}, {100, 100, 200, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(handleName(c.handle)));
        expectRect(SG::resized(origin, c.handle, c.point), c.expected);
    }
}

TEST(SelectionGeometryTest, MovingKeepsTheSizeAndStopsFlushWithTheEdges) {
    const Rect bounds{0, 0, 1000, 800};
    const Rect origin{100, 100, 200, 100};
    const struct {
        Point point;
        Rect expected;
    } cases[] = {
        {{250, 170}, {200, 120, 200, 100}},
        {{-500, 150}, {0, 100, 200, 100}},
        {{990, 790}, {800, 700, 200, 100}},
    };
    for (const auto& c : cases) {
        expectRect(SG::moved(origin, {150, 150}, c.point, bounds), c.expected);
    }
}

TEST(SelectionGeometryTest, SpanAndWindowDragThreshold) {
    expectRect(SG::spanned({10, 20}, {5, 30}), {5, 20, 5, 10});
    EXPECT_FALSE(SG::exceedsWindowDragThreshold({0, 0}, {4, 0}));
    EXPECT_TRUE(SG::exceedsWindowDragThreshold({0, 0}, {4.1, 0}));
    EXPECT_TRUE(SG::exceedsWindowDragThreshold({0, 0}, {3, 3}));
}

TEST(SelectionGeometryTest, SelectionChangeRepaintsBothRectanglesWithTheirLabelBand) {
    const Rect bounds{0, 0, 1000, 800};
    expectRect(SG::selectionChangeDirtyRect(std::nullopt, Rect{100, 100, 200, 100}, bounds),
               {-2, 92, 1004, 150});
    // Old and new: the union of both areas.
    expectRect(SG::selectionChangeDirtyRect(Rect{100, 100, 200, 100}, Rect{500, 600, 10, 10}, bounds),
               {-2, 92, 1004, 560});
    EXPECT_TRUE(SG::selectionChangeDirtyRect(std::nullopt, Rect{10, 10, 0, 0}, bounds).isEmpty());
}

TEST(SelectionGeometryTest, SizeLabelText) {
    EXPECT_EQ(SG::sizeLabelText({0, 0, 1512, 982}, 2), "1512 x 982 @2x");
    EXPECT_EQ(SG::sizeLabelText({0, 0, 10.5, 2.5}, 1), "11 x 3");
    EXPECT_EQ(SG::sizeLabelText({0, 0, 100, 50}, 1.5), "100 x 50 @1.5x");
}
