#include "TessaryCore/CompositeImageLayout.h"

#include <gtest/gtest.h>

using tessary::CompositeImageLayout;
using tessary::PixelRect;

namespace {

struct LayoutCase {
    const char* name;
    std::vector<PixelRect> displays;
    int imageWidth;
    int imageHeight;
    std::optional<int> scale;
    std::vector<PixelRect> expected;
};

class CompositeImageLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(CompositeImageLayoutTest, SplitsTheDesktopImage) {
    const LayoutCase& c = GetParam();
    const auto layout = CompositeImageLayout::of(c.displays, c.imageWidth, c.imageHeight);
    ASSERT_EQ(layout.has_value(), c.scale.has_value());
    if (layout) {
        EXPECT_EQ(layout->scale, *c.scale);
        EXPECT_EQ(layout->displays, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CompositeImageLayoutTest,
    testing::Values(
        LayoutCase{"single", {{0, 0, 1920, 1080}}, 1920, 1080, 1, {{0, 0, 1920, 1080}}},
        // A scale-2 display beside a scale-1 one: the whole image is rendered at 2.
        LayoutCase{"mixedScale",
                   {{0, 0, 1920, 1080}, {1920, 0, 640, 360}},
                   5120,
                   2160,
                   2,
                   {{0, 0, 3840, 2160}, {3840, 0, 1280, 720}}},
        // The layout need not start at the origin, and gaps are part of the bounding box.
        LayoutCase{"offsetWithGap",
                   {{-800, 100, 800, 600}, {100, 0, 1024, 768}},
                   1924,
                   768,
                   1,
                   {{0, 100, 800, 600}, {900, 0, 1024, 768}}},
        LayoutCase{"fractionalScale", {{0, 0, 1920, 1080}}, 2880, 1620, std::nullopt, {}},
        LayoutCase{"aspectMismatch", {{0, 0, 1920, 1080}}, 1920, 1200, std::nullopt, {}},
        // An output plugged in after the image was taken.
        LayoutCase{"staleLayout", {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}, 1920, 1080, std::nullopt, {}},
        LayoutCase{"noDisplays", {}, 1920, 1080, std::nullopt, {}},
        LayoutCase{"emptyDisplay", {{0, 0, 0, 1080}}, 1920, 1080, std::nullopt, {}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

} // namespace
