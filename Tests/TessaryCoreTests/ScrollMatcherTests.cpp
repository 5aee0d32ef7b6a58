#include "ScrollFixtures.h"

#include "TessaryCore/ByteDifferences.h"
#include "TessaryCore/ScrollMatcher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tessary;
using scrolltest::noisePage;
using scrolltest::Page;
using scrolltest::rowsOf;
using scrolltest::viewport;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

const Page noBar{256, 0, {}};

FrameSignature signatureOf(const GrayscaleFrame& frame) {
    return FrameSignature(frame, 64);
}

GrayscaleFrame frameFromRows(const std::vector<const std::uint8_t*>& rows, std::int64_t width) {
    std::vector<std::uint8_t> pixels;
    for (const auto* row : rows) {
        pixels.insert(pixels.end(), row, row + width);
    }
    return *GrayscaleFrame::make(width, static_cast<std::int64_t>(rows.size()), std::move(pixels));
}

TEST(ByteDifferences, SimdPathAgreesWithThePlainLoop) {
    const Page a = noisePage(1, 5000, 1);
    const Page b = noisePage(1, 5000, 2);
    const std::vector<std::uint8_t> zeros(5000, 0);
    const std::vector<std::uint8_t> full(5000, 255);
    // Lengths around the 16- and 64-byte steps, at offsets that leave the loads unaligned.
    for (const std::size_t count : {0u, 1u, 15u, 16u, 17u, 63u, 64u, 65u, 127u, 4096u, 4999u}) {
        for (const std::size_t offset : {0u, 1u, 7u}) {
            const std::size_t n = std::min<std::size_t>(count, 5000 - offset);
            EXPECT_EQ(ByteDifferences::sum(a.pixels.data() + offset, b.pixels.data(), n),
                      ByteDifferences::plainSum(a.pixels.data() + offset, b.pixels.data(), n))
                << count << "+" << offset;
        }
        EXPECT_EQ(ByteDifferences::sum(zeros.data(), full.data(), count), 255u * count);
        EXPECT_EQ(ByteDifferences::sum(full.data(), zeros.data(), count), 255u * count);
    }
}

TEST(ScrollMatcher, IdenticalFramesSucceedWithoutSearching) {
    const Page page = noisePage(256, 700, 3);
    const auto frame = viewport(noBar, page, 0, 700, noBar);
    const auto result = ScrollMatcher::match(signatureOf(frame), signatureOf(frame));
    ASSERT_TRUE(std::holds_alternative<ScrollMatch>(result));
    const auto& match = std::get<ScrollMatch>(result);
    EXPECT_EQ(match.offset, 0);
    EXPECT_EQ(match.sticky, StickyEdges::none());
    EXPECT_EQ(match.meanDifference, 0.0);
    EXPECT_EQ(match.runnerUpDifference, infinity);
    EXPECT_TRUE(match.sameContent);
    EXPECT_FALSE(ScrollMatcher::stickyEdges(signatureOf(frame), signatureOf(frame)).has_value());
}

TEST(ScrollMatcher, DifferentSizesFailAsSizeMismatch) {
    const Page page = noisePage(256, 800, 4);
    const auto frame = viewport(noBar, page, 0, 700, noBar);
    const auto shorter = viewport(noBar, page, 0, 699, noBar);
    const auto narrower = *GrayscaleFrame::make(
        128, 1400, std::vector<std::uint8_t>(page.pixels.begin(), page.pixels.begin() + 179200));
    const auto expectMismatch = [](const ScrollMatchResult& result) {
        ASSERT_TRUE(std::holds_alternative<ScrollMatchFailure>(result));
        EXPECT_EQ(std::get<ScrollMatchFailure>(result), ScrollMatchFailure::sizeMismatch);
    };
    expectMismatch(ScrollMatcher::match(signatureOf(frame), signatureOf(shorter)));
    expectMismatch(ScrollMatcher::match(frame, shorter));
    expectMismatch(ScrollMatcher::match(frame, narrower));
    // Same frame size, different band counts.
    expectMismatch(ScrollMatcher::match(FrameSignature(frame, 64), FrameSignature(frame, 32)));
}

TEST(ScrollMatcher, FindsShiftsAndStickyEdges) {
    struct Case {
        std::int64_t frameRows;
        std::int64_t header;
        std::int64_t footer;
        std::int64_t shift; // content rows moved up
        StickyEdges sticky;
    };
    const Case cases[] = {
        {700, 0, 0, 40, {0, 0}},       {700, 0, 0, -40, {0, 0}},
        {700, 0, 0, 509, {0, 0}},  // furthest the first probe reaches
        {700, 0, 0, -509, {0, 0}}, // furthest the fallback probe reaches
        {700, 60, 40, 100, {60, 40}},  {700, 60, 40, -100, {60, 40}},
        {1000, 400, 0, 30, {350, 0}}, // capped at 0.35 × 1000
        {1000, 0, 360, -30, {0, 350}},
    };
    const Page content = noisePage(256, 3000, 5);
    const Page bars = noisePage(256, 800, 6);
    for (const auto& c : cases) {
        const Page header = rowsOf(bars, 0, c.header);
        const Page footer = rowsOf(bars, 400, c.footer);
        const std::int64_t visible = c.frameRows - c.header - c.footer;
        const auto previous = viewport(header, content, 1000, visible, footer);
        const auto current = viewport(header, content, 1000 + c.shift, visible, footer);
        const auto result = ScrollMatcher::match(previous, current);
        ASSERT_TRUE(std::holds_alternative<ScrollMatch>(result)) << c.shift;
        const auto& match = std::get<ScrollMatch>(result);
        EXPECT_EQ(match.offset, c.shift);
        EXPECT_EQ(match.sticky, c.sticky) << c.shift;
        EXPECT_EQ(match.meanDifference, 0.0) << c.shift;
        EXPECT_GE(match.runnerUpDifference, 2.0) << c.shift;
        EXPECT_FALSE(match.sameContent);
    }
}

TEST(ScrollMatcher, ActiveRegionMustHoldEnoughRows) {
    // 100-row frames with unchanged bars of 45 rows on top and 31 or 32 below leave 24 or 23 active rows.
    const Page content = noisePage(256, 200, 7);
    const Page bars = noisePage(256, 100, 8);
    ScrollMatchOptions options;
    options.maximumStickyFraction = 0.45;
    struct Case {
        std::int64_t footer;
        bool searched;
    };
    for (const Case c : {Case{31, true}, Case{32, false}}) {
        const Page header = rowsOf(bars, 0, 45);
        const Page footer = rowsOf(bars, 50, c.footer);
        const std::int64_t visible = 100 - 45 - c.footer;
        const auto result = ScrollMatcher::match(viewport(header, content, 50, visible, footer),
                                                 viewport(header, content, 53, visible, footer), options);
        if (c.searched) {
            ASSERT_TRUE(std::holds_alternative<ScrollMatch>(result));
            EXPECT_EQ(std::get<ScrollMatch>(result).offset, 3);
        } else {
            ASSERT_TRUE(std::holds_alternative<ScrollMatchFailure>(result));
            EXPECT_EQ(std::get<ScrollMatchFailure>(result), ScrollMatchFailure::activeRegionTooSmall);
        }
    }
}

TEST(ScrollMatcher, RejectsRepetitiveAndUnrelatedContent) {
    // Identical stripes with a 50-row period: every 50 rows scores the same as the true position.
    std::vector<std::uint8_t> stripes(256 * 900);
    const Page texture = noisePage(256, 50, 9);
    for (std::int64_t y = 0; y < 900; ++y) {
        std::copy(texture.row(y % 50), texture.row(y % 50) + 256, stripes.begin() + y * 256);
    }
    const Page striped{256, 900, stripes};
    const auto repetitive = ScrollMatcher::match(viewport(noBar, striped, 0, 700, noBar),
                                                 viewport(noBar, striped, 20, 700, noBar));
    ASSERT_TRUE(std::holds_alternative<ScrollMatchFailure>(repetitive));
    EXPECT_EQ(std::get<ScrollMatchFailure>(repetitive), ScrollMatchFailure::ambiguousOverlap);

    const auto unrelated = ScrollMatcher::match(viewport(noBar, noisePage(256, 700, 10), 0, 700, noBar),
                                                viewport(noBar, noisePage(256, 700, 11), 0, 700, noBar));
    ASSERT_TRUE(std::holds_alternative<ScrollMatchFailure>(unrelated));
    EXPECT_EQ(std::get<ScrollMatchFailure>(unrelated), ScrollMatchFailure::noConfidentOverlap);
}

TEST(ScrollMatcher, TiesGoToTheLowerRowAndOnlyFarCandidatesCompete) {
    // The probe (rows 509…572 of the previous frame) repeats with a period p, and the current frame holds
    // that pattern for 64 + p rows from row 200: exact matches at rows 200 and 200 + p. Within the exclusion
    // radius of 32 the second match is ignored; beyond it the result is ambiguous.
    const Page previousRows = noisePage(256, 700, 12);
    const Page currentRows = noisePage(256, 700, 13);
    struct Case {
        std::int64_t period;
        bool matches;
    };
    for (const Case c : {Case{32, true}, Case{33, false}}) {
        std::vector<const std::uint8_t*> previous;
        std::vector<const std::uint8_t*> current;
        for (std::int64_t y = 0; y < 700; ++y) {
            previous.push_back(y >= 509 && y < 573 ? previousRows.row(509 + (y - 509) % c.period)
                                                   : previousRows.row(y));
            current.push_back(y >= 200 && y < 264 + c.period ? previousRows.row(509 + (y - 200) % c.period)
                                                             : currentRows.row(y));
        }
        const auto result = ScrollMatcher::match(frameFromRows(previous, 256), frameFromRows(current, 256));
        if (c.matches) {
            ASSERT_TRUE(std::holds_alternative<ScrollMatch>(result));
            EXPECT_EQ(std::get<ScrollMatch>(result).offset, 509 - 200);
            EXPECT_EQ(std::get<ScrollMatch>(result).meanDifference, 0.0);
        } else {
            ASSERT_TRUE(std::holds_alternative<ScrollMatchFailure>(result));
            EXPECT_EQ(std::get<ScrollMatchFailure>(result), ScrollMatchFailure::ambiguousOverlap);
        }
    }
}

TEST(ScrollMatcher, ProbeTopRoundsHalfAwayFromZero) {
    // 701 rows: span 637, so an anchor of 0.5 puts the probe at 318.5, which must become row 319. Only the
    // block starting at row 319 of the previous frame reappears (at row 100) in the current one.
    const Page previousRows = noisePage(256, 701, 14);
    const Page currentRows = noisePage(256, 701, 15);
    std::vector<const std::uint8_t*> previous;
    std::vector<const std::uint8_t*> current;
    for (std::int64_t y = 0; y < 701; ++y) {
        previous.push_back(previousRows.row(y));
        current.push_back(y >= 100 && y < 164 ? previousRows.row(319 + y - 100) : currentRows.row(y));
    }
    ScrollMatchOptions options;
    options.probeAnchor = 0.5;
    options.fallbackProbeAnchor = 0.5;
    const auto result =
        ScrollMatcher::match(frameFromRows(previous, 256), frameFromRows(current, 256), options);
    ASSERT_TRUE(std::holds_alternative<ScrollMatch>(result));
    EXPECT_EQ(std::get<ScrollMatch>(result).offset, 219);
}

TEST(ScrollMatcher, AbsurdOptionsNeverReadOutsideTheSignatures) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const auto absurd = [](auto change) {
        ScrollMatchOptions options;
        change(options);
        return options;
    };
    const ScrollMatchOptions cases[] = {
        absurd([](auto& o) { o.probeRows = 0; }),
        absurd([](auto& o) { o.probeRows = -5; }),
        absurd([](auto& o) { o.probeRows = std::numeric_limits<std::int64_t>::max(); }),
        absurd([](auto& o) { o.probeAnchor = 7.0, o.fallbackProbeAnchor = -3.0; }),
        absurd([](auto& o) { o.probeAnchor = nan, o.fallbackProbeAnchor = infinity; }),
        absurd([](auto& o) { o.sampleColumns = 0; }),
        absurd([](auto& o) { o.sampleColumns = std::numeric_limits<std::int64_t>::min(); }),
        absurd([](auto& o) { o.maximumStickyFraction = -1.0; }),
        absurd([](auto& o) { o.maximumStickyFraction = nan; }),
        absurd([](auto& o) { o.maximumStickyFraction = 1e300, o.stickyTolerance = 1e300; }),
        absurd([](auto& o) { o.minimumActiveRows = std::numeric_limits<std::int64_t>::min(); }),
        absurd([](auto& o) { o.minimumActiveRows = -1, o.stickyTolerance = 255; }),
    };
    const Page content = noisePage(256, 400, 16);
    const auto previous = viewport(noBar, content, 0, 300, noBar);
    const auto current = viewport(noBar, content, 37, 300, noBar);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto result = ScrollMatcher::match(previous, current, cases[i]);
        // Failing is fine; a match must still be the true shift.
        if (const auto* match = std::get_if<ScrollMatch>(&result); match && !match->sameContent) {
            EXPECT_EQ(match->offset, 37) << "case " << i;
            EXPECT_GE(match->sticky.top, 0) << "case " << i;
            EXPECT_GE(match->sticky.bottom, 0) << "case " << i;
        }
    }
}

} // namespace
