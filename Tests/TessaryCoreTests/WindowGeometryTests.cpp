#include "TessaryCore/WindowGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using tessary::OnScreenWindow;
using tessary::Rect;
using tessary::WindowDescription;
namespace WindowGeometry = tessary::WindowGeometry;

namespace {

constexpr std::int64_t ownPID = 4242;

WindowDescription ordinaryWindow() {
    return {
        .ownerPID = 17, .layer = 0, .alpha = 1.0, .bounds = Rect{100, 50, 400, 300}, .ownerName = "Editor"};
}

} // namespace

TEST(WindowGeometry, FlipsWindowServerRectanglesIntoGlobalPoints) {
    struct Case {
        Rect cg;
        double primaryHeight;
        Rect expected;
    };
    const Case cases[] = {
        {{100, 50, 400, 300}, 1080, {100, 730, 400, 300}},
        {{0, 0, 1920, 1080}, 1080, {0, 0, 1920, 1080}},
        // A display above the primary one has negative window-server y and lands above H.
        {{10, -600, 200, 100}, 1080, {10, 1580, 200, 100}},
        // A display below the primary one ends up with negative global y.
        {{0, 1080, 300, 200}, 1080, {0, -200, 300, 200}},
        {{-1280, 20, 640, 480}, 900, {-1280, 400, 640, 480}},
        // Negative sizes describe the same area.
        {{500, 350, -400, -300}, 1080, {100, 730, 400, 300}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowGeometry::appKitRect(c.cg, c.primaryHeight), c.expected)
            << c.cg.x << "," << c.cg.y << " H=" << c.primaryHeight;
    }
}

TEST(WindowGeometry, MovesGlobalRectanglesIntoCanvasCoordinates) {
    struct Case {
        Rect global;
        Rect screen;
        Rect expected;
    };
    const Case cases[] = {
        {{2020, 730, 400, 300}, {1920, 0, 1920, 1080}, {100, 730, 400, 300}},
        {{100, 730, 400, 300}, {0, 0, 1920, 1080}, {100, 730, 400, 300}},
        {{-1000, 1200, 50, 60}, {-1280, 1080, 1280, 800}, {280, 120, 50, 60}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowGeometry::canvasRect(c.global, c.screen), c.expected);
    }
}

TEST(WindowGeometry, FlipThenMoveMatchesCanvasOfEachDisplay) {
    // A window straddling nothing: on the right display (1920,0 in both spaces, equal heights).
    const Rect global = WindowGeometry::appKitRect({2020, 50, 400, 300}, 1080);
    EXPECT_EQ(WindowGeometry::canvasRect(global, {1920, 0, 1920, 1080}), (Rect{100, 730, 400, 300}));
}

TEST(WindowGeometry, CandidateFilterBoundaries) {
    struct Case {
        const char* name;
        void (*change)(WindowDescription&);
        bool kept;
    };
    const Case cases[] = {
        {"ordinary", [](WindowDescription&) {}, true},
        {"own process", [](WindowDescription& w) { w.ownerPID = ownPID; }, false},
        {"missing pid", [](WindowDescription& w) { w.ownerPID.reset(); }, false},
        {"layer 0", [](WindowDescription& w) { w.layer = 0; }, true},
        {"layer 8", [](WindowDescription& w) { w.layer = 8; }, true},
        {"layer 9", [](WindowDescription& w) { w.layer = 9; }, false},
        {"layer -1", [](WindowDescription& w) { w.layer = -1; }, false},
        {"missing layer", [](WindowDescription& w) { w.layer.reset(); }, false},
        {"alpha 0.01", [](WindowDescription& w) { w.alpha = 0.01; }, false},
        {"alpha 0.0101", [](WindowDescription& w) { w.alpha = 0.0101; }, true},
        {"alpha 0", [](WindowDescription& w) { w.alpha = 0.0; }, false},
        {"alpha NaN", [](WindowDescription& w) { w.alpha = std::numeric_limits<double>::quiet_NaN(); },
         false},
        {"missing alpha", [](WindowDescription& w) { w.alpha.reset(); }, false},
        {"missing bounds", [](WindowDescription& w) { w.bounds.reset(); }, false},
        {"15 x 400",
         [](WindowDescription& w) {
             w.bounds = Rect{0, 0, 15, 400};
         },
         false},
        {"400 x 15",
         [](WindowDescription& w) {
             w.bounds = Rect{0, 0, 400, 15};
         },
         false},
        {"16 x 16",
         [](WindowDescription& w) {
             w.bounds = Rect{0, 0, 16, 16};
         },
         true},
        {"15.9 x 16",
         [](WindowDescription& w) {
             w.bounds = Rect{0, 0, 15.9, 16};
         },
         false},
        {"negative width spans 400",
         [](WindowDescription& w) {
             w.bounds = Rect{500, 0, -400, 300};
         },
         true},
        {"negative width spans 15",
         [](WindowDescription& w) {
             w.bounds = Rect{500, 0, -15, 300};
         },
         false},
        {"NaN height",
         [](WindowDescription& w) {
             w.bounds = Rect{0, 0, 100, std::numeric_limits<double>::quiet_NaN()};
         },
         false},
        {"empty owner name", [](WindowDescription& w) { w.ownerName = ""; }, false},
        {"missing owner name", [](WindowDescription& w) { w.ownerName.reset(); }, false},
    };
    for (const Case& c : cases) {
        WindowDescription window = ordinaryWindow();
        c.change(window);
        const auto result = WindowGeometry::candidateWindows({window}, ownPID, 1080);
        EXPECT_EQ(result.size(), c.kept ? 1u : 0u) << c.name;
    }
}

TEST(WindowGeometry, CandidatesKeepOrderNameAndFlippedFrame) {
    WindowDescription front = ordinaryWindow();
    WindowDescription hidden = ordinaryWindow();
    hidden.alpha = 0;
    WindowDescription back = ordinaryWindow();
    back.ownerName = "Terminal";
    back.bounds = Rect{0, 0, 800, 600};

    const auto result = WindowGeometry::candidateWindows({front, hidden, back}, ownPID, 1080);
    const std::vector<OnScreenWindow> expected = {{{100, 730, 400, 300}, "Editor"},
                                                  {{0, 480, 800, 600}, "Terminal"}};
    EXPECT_EQ(result, expected);
}
