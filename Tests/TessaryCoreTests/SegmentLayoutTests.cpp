#include "ScrollFixtures.h"

#include "TessaryCore/SegmentAligner.h"
#include "TessaryCore/SegmentStacker.h"

#include <gtest/gtest.h>

using namespace tessary;
using scrolltest::noisePage;
using scrolltest::Page;
using scrolltest::rowsOf;

namespace {

TEST(SegmentStacker, JoinsOverlapsAndSeparatesTheRestWithSeams) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> heights;
        std::vector<std::int64_t> overlaps;
        StackedLayout expected;
    };
    const Case cases[] = {
        {"joined", {500, 300}, {40}, {{{0, 0, 500, 0}, {1, 40, 260, 500}}, {}, 760}},
        {"no overlap given", {500, 300}, {}, {{{0, 0, 500, 0}, {1, 0, 300, 514}}, {500}, 814}},
        {"clamped to the shorter height − 1",
         {500, 300},
         {1000},
         {{{0, 0, 500, 0}, {1, 299, 1, 500}}, {}, 501}},
        {"clamped by a shorter upper segment",
         {100, 300},
         {150},
         {{{0, 0, 100, 0}, {1, 99, 201, 100}}, {}, 301}},
        {"negative is a seam", {500, 300}, {-5}, {{{0, 0, 500, 0}, {1, 0, 300, 514}}, {500}, 814}},
        {"one-row neighbour cannot overlap", {1, 300}, {10}, {{{0, 0, 1, 0}, {1, 0, 300, 15}}, {1}, 315}},
        {"three segments",
         {200, 100, 150},
         {30, 0},
         {{{0, 0, 200, 0}, {1, 30, 70, 200}, {2, 0, 150, 284}}, {270}, 434}},
        // The empty segment is skipped, and its zero height still limits the next overlap.
        {"empty segment skipped", {200, 0, 150}, {0, 50}, {{{0, 0, 200, 0}, {2, 0, 150, 214}}, {200}, 364}},
        {"nothing to stack", {}, {}, {}},
        {"first segment empty", {0, 100}, {}, {}},
    };
    for (const auto& c : cases) {
        const StackedLayout layout = SegmentStacker::layout(c.heights, c.overlaps, 14);
        EXPECT_EQ(layout.placements, c.expected.placements) << c.name;
        EXPECT_EQ(layout.seamRows, c.expected.seamRows) << c.name;
        EXPECT_EQ(layout.height, c.expected.height) << c.name;
    }
}

// Two segments cut from one textured page so that the last `overlap` rows of the upper one are the first
// rows of the lower one.
std::pair<GrayscaleFrame, GrayscaleFrame> overlappingSegments(const Page& page, std::int64_t upperRows,
                                                              std::int64_t lowerRows, std::int64_t overlap) {
    const Page upper = rowsOf(page, 0, upperRows);
    const Page lower = rowsOf(page, upperRows - overlap, lowerRows);
    return {*GrayscaleFrame::make(page.width, upper.rows, upper.pixels),
            *GrayscaleFrame::make(page.width, lower.rows, lower.pixels)};
}

TEST(SegmentAligner, SuggestsTheOverlapOfTexturedSegments) {
    const Page page = noisePage(256, 2000, 31);
    struct Case {
        std::int64_t upperRows;
        std::int64_t lowerRows;
        std::int64_t overlap;
        std::optional<std::int64_t> suggestion;
    };
    const Case cases[] = {
        {600, 500, 120, 120},        {600, 500, 24, 24},
        {600, 500, 400, 400},        {25, 25, 24, 24},              // the smallest pair that can be suggested
        {24, 600, 20, std::nullopt},                                // shorter segment under 25 rows
        {600, 24, 20, std::nullopt}, {900, 900, 450, std::nullopt}, // beyond the largest overlap tried
        {600, 500, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto [upper, lower] = overlappingSegments(page, c.upperRows, c.lowerRows, c.overlap);
        EXPECT_EQ(SegmentAligner::suggestOverlap(upper, lower), c.suggestion)
            << c.upperRows << "/" << c.lowerRows << " overlapping " << c.overlap;
    }
}

TEST(SegmentAligner, OnlyOverlapsMoreThanTwelveRowsAwayCompete) {
    // The upper segment ends, and the lower one starts, with 30 + d rows repeating with period d: overlaps
    // 30 and 30 + d both match exactly (30 − d is below the smallest overlap tried).
    const Page pattern = noisePage(256, 13, 34);
    const Page upperRows = noisePage(256, 300, 35);
    const Page lowerRows = noisePage(256, 300, 36);
    struct Case {
        std::int64_t period;
        std::optional<std::int64_t> suggestion;
    };
    for (const Case c : {Case{12, 30}, Case{13, std::nullopt}}) {
        const std::int64_t run = 30 + c.period;
        std::vector<std::uint8_t> upper;
        std::vector<std::uint8_t> lower;
        for (std::int64_t y = 0; y < 300; ++y) {
            const std::uint8_t* u =
                y >= 300 - run ? pattern.row((y - (300 - run)) % c.period) : upperRows.row(y);
            const std::uint8_t* l = y < run ? pattern.row(y % c.period) : lowerRows.row(y);
            upper.insert(upper.end(), u, u + 256);
            lower.insert(lower.end(), l, l + 256);
        }
        EXPECT_EQ(SegmentAligner::suggestOverlap(*GrayscaleFrame::make(256, 300, upper),
                                                 *GrayscaleFrame::make(256, 300, lower)),
                  c.suggestion)
            << c.period;
    }
}

TEST(SegmentAligner, GivesNoSuggestionForRepetitiveOrMismatchedSegments) {
    // 30-row stripes: overlaps 30 rows apart score the same.
    const Page texture = noisePage(256, 30, 32);
    Page striped{256, 600, {}};
    for (std::int64_t y = 0; y < striped.rows; ++y) {
        striped.pixels.insert(striped.pixels.end(), texture.row(y % 30), texture.row(y % 30) + 256);
    }
    const auto [upper, lower] = overlappingSegments(striped, 300, 300, 120);
    EXPECT_EQ(SegmentAligner::suggestOverlap(upper, lower), std::nullopt);

    const Page page = noisePage(256, 1000, 33);
    const auto [textured, next] = overlappingSegments(page, 300, 300, 120);
    EXPECT_EQ(SegmentAligner::suggestOverlap(FrameSignature(textured, 64), FrameSignature(next, 32)),
              std::nullopt);
    const auto narrow = *GrayscaleFrame::make(128, 600, std::vector<std::uint8_t>(next.pixels()));
    EXPECT_EQ(SegmentAligner::suggestOverlap(textured, narrow), std::nullopt);
}

} // namespace
