#include "TessaryCore/ScreenCastStreamMatch.h"

#include <gtest/gtest.h>

using tessary::PixelRect;
using tessary::ScreenCastStreamInfo;

namespace {

struct MatchCase {
    const char* name;
    std::vector<PixelRect> screens;
    std::vector<ScreenCastStreamInfo> streams;
    std::vector<std::optional<std::size_t>> expected;
};

class ScreenCastStreamMatchTest : public testing::TestWithParam<MatchCase> {};

TEST_P(ScreenCastStreamMatchTest, PairsStreamsWithScreens) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(tessary::matchScreenCastStreams(c.screens, c.streams), c.expected);
}

const PixelRect left{0, 0, 1920, 1080};
const PixelRect right{1920, 0, 1280, 720};
const PixelRect twin{1920, 0, 1920, 1080};

INSTANTIATE_TEST_SUITE_P(
    Layouts, ScreenCastStreamMatchTest,
    testing::Values(
        MatchCase{"ByPlaceInAnyOrder", {left, right}, {{right}, {left}}, {1, 0}},
        MatchCase{"OneStreamOfTwoScreens", {left, right}, {{right}}, {std::nullopt, 0}},
        // A back end that reports 0,0 for every stream: the size still tells them apart.
        MatchCase{"BySizeWhenPlacesAreWrong", {left, right}, {{PixelRect{0, 0, 1280, 720}}, {left}}, {1, 0}},
        // Two screens of one size and streams that name no place: nothing tells them apart.
        MatchCase{"SameSizesWithoutPlaces",
                  {left, twin},
                  {{std::nullopt}, {std::nullopt}},
                  {std::nullopt, std::nullopt}},
        MatchCase{"SameSizesByPlace", {left, twin}, {{twin}, {left}}, {1, 0}},
        // The only stream for the only screen, reported in pixels at a scale of two.
        MatchCase{"SingleScreenInPixels", {PixelRect{0, 0, 1280, 720}}, {{PixelRect{0, 0, 2560, 1440}}}, {0}},
        MatchCase{"PlacelessStreamForTheScreenLeft", {left, right}, {{left}, {std::nullopt}}, {0, 1}},
        // A stream of another output (the user chose one that has since gone) is no screen's.
        MatchCase{"StreamOfAnotherOutput",
                  {left, right},
                  {{left}, {PixelRect{3200, 0, 800, 600}}},
                  {0, std::nullopt}},
        MatchCase{"NoStreams", {left}, {}, {std::nullopt}}),
    [](const testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

} // namespace
