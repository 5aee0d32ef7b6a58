#include "ScrollFixtures.h"

#include "TessaryCore/ScrollStitchSession.h"

#include <gtest/gtest.h>

using namespace tessary;
using scrolltest::documentPage;
using scrolltest::noisePage;
using scrolltest::Page;
using scrolltest::rowsOf;
using scrolltest::viewport;

using Outcome = ScrollStitchSession::Outcome;
using Placement = ScrollStitchSession::Placement;

namespace tessary {
// Readable failure messages.
void PrintTo(const ScrollStitchSession::Outcome& outcome, std::ostream* out) {
    const auto& p = outcome.placement();
    *out << "kind " << static_cast<int>(outcome.kind()) << " failure " << static_cast<int>(outcome.failure())
         << " placement {" << p.frameIndex << ", " << p.sourceRow << ", " << p.rowCount << ", " << p.canvasRow
         << "}";
}
} // namespace tessary

namespace {

// A 700-row viewport with a 60-row header and a 40-row footer over 600 rows of textured content.
struct Scroller {
    Page content = noisePage(256, 4000, 21);
    Page header = rowsOf(noisePage(256, 100, 22), 0, 60);
    Page footer = rowsOf(noisePage(256, 100, 23), 0, 40);
    std::vector<GrayscaleFrame> frames;

    const GrayscaleFrame& at(std::int64_t top) {
        frames.push_back(viewport(header, content, top, 600, footer));
        return frames.back();
    }
};

TEST(ScrollStitchSession, FirstFrameStartsTheFirstSegment) {
    Scroller scroller;
    ScrollStitchSession session;
    EXPECT_EQ(session.accept(scroller.at(1000)), Outcome::started());
    EXPECT_EQ(session.segmentCount(), 1);
    EXPECT_EQ(session.totalHeight(), 700);
    EXPECT_EQ(session.currentSegmentHeight(), 700);
    EXPECT_EQ(session.acceptedFrameCount(), 1);
    EXPECT_EQ(session.nextFrameIndex(), 1);
    EXPECT_EQ(session.detectedSticky(), StickyEdges::none());
}

TEST(ScrollStitchSession, TrimsTheFirstFrameOnceAndGrowsBothWays) {
    struct Case {
        std::int64_t shift;
        Placement placement;
        std::int64_t height;
        std::vector<Placement> closed;
    };
    const Case cases[] = {
        {100, {1, 560, 100, 660}, 760, {{0, 0, 700, 0}, {1, 560, 100, 660}}},
        {-100, {1, 60, 100, -40}, 740, {{0, 0, 700, 40}, {1, 60, 100, 0}}},
    };
    for (const auto& c : cases) {
        Scroller scroller;
        ScrollStitchSession session;
        session.accept(scroller.at(1000));
        EXPECT_EQ(session.accept(scroller.at(1000 + c.shift)), Outcome::appended(c.placement)) << c.shift;
        EXPECT_EQ(session.detectedSticky(), (StickyEdges{60, 40}));
        EXPECT_EQ(session.currentSegmentHeight(), c.height);
        EXPECT_EQ(session.acceptedFrameCount(), 2);
        const auto segments = session.finish();
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(segments[0], (ScrollStitchSession::Segment{c.closed, 256, c.height})) << c.shift;
    }
}

TEST(ScrollStitchSession, IdenticalFramesLeaveStickyEdgesAndTrimToTheFirstRealMove) {
    // The capture loop grabs several identical frames before the user starts scrolling.
    Scroller scroller;
    ScrollStitchSession session;
    EXPECT_EQ(session.accept(scroller.at(1000)), Outcome::started());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(session.accept(scroller.at(1000)), Outcome::unchanged());
        EXPECT_EQ(session.detectedSticky(), StickyEdges::none());
        EXPECT_EQ(session.currentSegmentHeight(), 700);
    }
    EXPECT_EQ(session.accept(scroller.at(1100)), Outcome::appended(Placement{4, 560, 100, 660}));
    EXPECT_EQ(session.detectedSticky(), (StickyEdges{60, 40}));
    EXPECT_EQ(session.accept(scroller.at(1100)), Outcome::unchanged());
    EXPECT_EQ(session.accept(scroller.at(1200)), Outcome::appended(Placement{6, 560, 100, 760}));

    const auto segments = session.finish();
    ASSERT_EQ(segments.size(), 1u);
    ASSERT_EQ(segments[0].height, 860);
    // Header once, then content without any footer repeated over it.
    const Page image = scrolltest::render(segments[0], scroller.frames);
    EXPECT_TRUE(
        std::equal(scroller.header.pixels.begin(), scroller.header.pixels.end(), image.pixels.begin()));
    EXPECT_TRUE(std::equal(image.row(60), image.row(860), scroller.content.row(1000)));
}

TEST(ScrollStitchSession, ScrollingBackAppendsNothingUntilPastTheFurthestPoint) {
    Scroller scroller;
    ScrollStitchSession session;
    session.accept(scroller.at(1000));
    EXPECT_EQ(session.accept(scroller.at(1100)).kind(), Outcome::Kind::appended);
    EXPECT_EQ(session.accept(scroller.at(1200)).kind(), Outcome::Kind::appended);
    for (const std::int64_t top : {1100, 1000, 900, 1000, 1100, 1200}) {
        EXPECT_EQ(session.accept(scroller.at(top)), Outcome::unchanged()) << top;
    }
    EXPECT_EQ(session.currentSegmentHeight(), 860);
    // The anchor followed the content all along: the next move down adds exactly the rows past the bottom.
    EXPECT_EQ(session.accept(scroller.at(1250)), Outcome::appended(Placement{9, 610, 50, 860}));
    EXPECT_EQ(session.acceptedFrameCount(), 4);
    EXPECT_EQ(session.nextFrameIndex(), 10);
}

TEST(ScrollStitchSession, ConsecutiveFailuresStartANewSegment) {
    Scroller scroller;
    ScrollStitchSession session;
    session.accept(scroller.at(1000));
    session.accept(scroller.at(1100));
    const Page unrelated = noisePage(256, 700, 24);
    for (int i = 0; i < 7; ++i) {
        scroller.frames.push_back(viewport(Page{256, 0, {}}, unrelated, 0, 700, Page{256, 0, {}}));
        EXPECT_EQ(session.accept(scroller.frames.back()),
                  Outcome::rejected(ScrollMatchFailure::noConfidentOverlap));
        EXPECT_EQ(session.consecutiveFailures(), i + 1);
    }
    EXPECT_EQ(session.segmentCount(), 1);
    EXPECT_EQ(session.accept(scroller.at(3000)), Outcome::segmented(ScrollMatchFailure::noConfidentOverlap));
    EXPECT_EQ(session.consecutiveFailures(), 0);
    EXPECT_EQ(session.segmentCount(), 2);
    EXPECT_EQ(session.totalHeight(), 760 + 700);
    // The new segment starts from the eighth failing frame.
    EXPECT_EQ(session.accept(scroller.at(3100)), Outcome::appended(Placement{10, 560, 100, 660}));
    EXPECT_EQ(session.totalHeight(), 760 + 760);

    // A frame of another size splits at once; its one-frame segment is then dropped at closing.
    scroller.frames.push_back(viewport(scroller.header, scroller.content, 0, 500, scroller.footer));
    EXPECT_EQ(session.accept(scroller.frames.back()), Outcome::segmented(ScrollMatchFailure::sizeMismatch));
    EXPECT_EQ(session.segmentCount(), 3);
    const auto segments = session.finish();
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[1].placements.front().frameIndex, 9);
    EXPECT_EQ(session.segmentCount(), 0);
    EXPECT_EQ(session.totalHeight(), 0);
    EXPECT_EQ(session.nextFrameIndex(), 12);
    EXPECT_EQ(session.acceptedFrameCount(), 5);
}

TEST(ScrollStitchSession, RepetitiveContentIsRejectedAsAmbiguous) {
    std::vector<std::uint8_t> stripes(256 * 800);
    const Page texture = noisePage(256, 50, 25);
    for (std::int64_t y = 0; y < 800; ++y) {
        std::copy(texture.row(y % 50), texture.row(y % 50) + 256, stripes.begin() + y * 256);
    }
    const Page striped{256, 800, stripes};
    const Page none{256, 0, {}};
    ScrollStitchSession session;
    session.accept(viewport(none, striped, 0, 700, none));
    EXPECT_EQ(session.accept(viewport(none, striped, 20, 700, none)),
              Outcome::rejected(ScrollMatchFailure::ambiguousOverlap));
}

TEST(ScrollStitchSession, OneFrameSegmentsSurviveOnlyAsTheFirst) {
    Scroller scroller;
    struct Case {
        const char* name;
        std::vector<std::int64_t> viewportRows; // one frame each, a new size every time
        std::size_t segments;
    };
    const Case cases[] = {
        {"a capture without scrolling keeps its frame", {600}, 1},
        {"later one-frame segments are dropped", {600, 500, 400}, 1},
    };
    for (const auto& c : cases) {
        ScrollStitchSession session;
        for (const std::int64_t rows : c.viewportRows) {
            session.accept(viewport(scroller.header, scroller.content, 0, rows, scroller.footer));
        }
        const auto segments = session.finish();
        ASSERT_EQ(segments.size(), c.segments) << c.name;
        EXPECT_EQ(segments[0].placements, (std::vector<Placement>{{0, 0, 700, 0}})) << c.name;
        // After finish the next frame opens a first segment again.
        EXPECT_EQ(session.accept(scroller.at(0)), Outcome::started()) << c.name;
    }
}

TEST(ScrollStitchSession, PlacementsStayInsideTheFrameWhenStickyEdgesNarrow) {
    // A few rows change in place (a spinner), so the first match reports edges at the cap (0.35 × 700 is
    // 244.99… in floating point, truncated to 244) and trims the content to rows 244…455; then a fast scroll
    // of 500 rows with no fixed edges at all. The new frame must be placed from its own first row, not from
    // 45 rows before it.
    const Page page = noisePage(256, 2000, 28);
    const Page spinner = noisePage(256, 10, 29);
    const Page none{256, 0, {}};
    struct Case {
        std::int64_t firstTop;
        std::int64_t shift;
        Placement placement;
        std::int64_t stitchedTop; // page row at the top of the stitched segment
    };
    for (const Case c : {Case{0, 500, {2, 0, 700, 500}, 0}, Case{1000, -500, {2, 0, 700, -500}, 500}}) {
        std::vector<GrayscaleFrame> frames{viewport(none, page, c.firstTop, 700, none)};
        std::vector<std::uint8_t> spinning(frames[0].pixels());
        std::copy(spinner.pixels.begin(), spinner.pixels.end(), spinning.begin() + 250 * 256);
        frames.push_back(*GrayscaleFrame::make(256, 700, spinning));
        frames.push_back(viewport(none, page, c.firstTop + c.shift, 700, none));

        ScrollStitchSession session;
        session.accept(frames[0]);
        EXPECT_EQ(session.accept(frames[1]), Outcome::unchanged());
        EXPECT_EQ(session.detectedSticky(), (StickyEdges{244, 244}));
        EXPECT_EQ(session.accept(frames[2]), Outcome::appended(c.placement)) << c.shift;
        const auto segments = session.finish();
        ASSERT_EQ(segments.size(), 1u);
        ASSERT_EQ(segments[0].height, 1200);
        const Page image = scrolltest::render(segments[0], frames);
        EXPECT_TRUE(std::equal(image.pixels.begin(), image.pixels.end(), page.row(c.stitchedTop))) << c.shift;
    }
}

TEST(ScrollStitchSession, StitchesAScrolledPageBackPixelForPixel) {
    // A text page behind a 700-row window with a fixed toolbar and status bar, scrolled unevenly down to
    // its end with pauses and a step back, as a user would.
    const Page page = documentPage(256, 2400, 26);
    const Page chrome = documentPage(256, 200, 27);
    const Page header = rowsOf(chrome, 0, 60);
    const Page footer = rowsOf(chrome, 150, 40);
    std::vector<GrayscaleFrame> frames;
    ScrollStitchSession session;
    const std::int64_t steps[] = {0,   0, 0,   37,  120, 0,  95, 230, -80, 60, 150,
                                  300, 7, 222, 180, 111, 90, 0,  150, 128, 0};
    std::int64_t top = 0;
    for (const std::int64_t step : steps) {
        top = std::min<std::int64_t>(top + step, page.rows - 600);
        frames.push_back(viewport(header, page, top, 600, footer));
        const auto outcome = session.accept(frames.back());
        EXPECT_NE(outcome.kind(), Outcome::Kind::rejected) << "frame " << frames.size() - 1;
    }
    ASSERT_EQ(top, page.rows - 600);

    const auto segments = session.finish();
    ASSERT_EQ(segments.size(), 1u);
    ASSERT_EQ(segments[0].height, 60 + page.rows);
    const Page image = scrolltest::render(segments[0], frames);
    EXPECT_TRUE(std::equal(header.pixels.begin(), header.pixels.end(), image.pixels.begin()));
    EXPECT_TRUE(std::equal(page.pixels.begin(), page.pixels.end(), image.row(60)));
}

} // namespace
