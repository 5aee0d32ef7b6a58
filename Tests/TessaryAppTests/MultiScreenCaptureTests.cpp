#include "FakePlatformScope.h"
#include "ScreenLayoutChild.h"

#include "Foundation/CoordinateSpace.h"
#include "Overlay/Session/OnScreenWindowList.h"
#include "Overlay/Session/ScreenCaptureError.h"
#include "TessaryCore/WindowGeometry.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// Primary "P" is not at Qt's origin; "R" is a 2x display to its right; "T" (1.5x) sits to the left, lower.
constexpr const char* threeScreens = R"({ "screens": [
  { "name": "P", "x": 1280, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 },
  { "name": "R", "x": 3200, "y": 0, "width": 1440, "height": 900, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2 },
  { "name": "T", "x": 0, "y": 100, "width": 1280, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1.5 }
] })";

// Two 2x displays: 8192 points make exactly 16384 pixels, 8193 one pixel too many.
constexpr const char* wideScreens = R"({ "screens": [
  { "name": "A", "x": 0, "y": 0, "width": 8192, "height": 8, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2 },
  { "name": "B", "x": 0, "y": 8, "width": 8193, "height": 8, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2 }
] })";

bool inChild(const char* layout) {
    return ScreenLayoutChild::inLayout(layout);
}

void runInChild(const char* layout, const char* json, const QString& filter, int expectedTests) {
    ScreenLayoutChild::runInLayout(layout, json, filter, expectedTests);
}

} // namespace

TEST(MultiScreenCapture, ThreeScreensWithMixedScales) {
    runInChild("three", threeScreens, QStringLiteral("MultiScreenChild.*"), 4);
}

TEST(MultiScreenCapture, DisplaysLargerThanTheLimitFail) {
    runInChild("wide", wideScreens, QStringLiteral("WideScreenChild.*"), 1);
}

TEST(MultiScreenChild, EveryScreenIsCapturedAtItsScaleWithItsGlobalFrame) {
    if (!inChild("three")) {
        GTEST_SKIP() << "runs inside MultiScreenCapture";
    }
    FakePlatformScope scope;
    const QList<CapturedDisplay> displays = scope.capturer().captureAllDisplays();
    struct Expected {
        const char* name;
        double scale;
        QSize pixels;
        tessary::Rect frame;
    };
    const Expected expected[] = {
        {"P", 1, {1920, 1080}, {0, 0, 1920, 1080}},
        {"R", 2, {2880, 1800}, {1920, 180, 1440, 900}},
        {"T", 1.5, {1920, 1200}, {-1280, 180, 1280, 800}},
    };
    ASSERT_EQ(displays.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const CapturedDisplay& d = displays[i];
        ASSERT_TRUE(d.screen);
        EXPECT_EQ(d.screen->name(), QLatin1String(expected[i].name));
        EXPECT_EQ(d.scale, expected[i].scale) << expected[i].name;
        EXPECT_EQ(d.image.size(), expected[i].pixels) << expected[i].name;
        EXPECT_EQ(d.frame, expected[i].frame) << expected[i].name;
        EXPECT_EQ(d.geometry, d.screen->geometry()) << expected[i].name;
        const QPoint last(d.image.width() - 1, d.image.height() - 1);
        EXPECT_EQ(d.image.pixel(0, 0), FakeDisplayCapture::patternPixel(i, 0, 0)) << expected[i].name;
        EXPECT_EQ(d.image.pixel(last), FakeDisplayCapture::patternPixel(i, last.x(), last.y()))
            << expected[i].name;
    }
}

TEST(MultiScreenChild, UnpluggedDisplayIsDroppedOnTheRetry) {
    if (!inChild("three")) {
        GTEST_SKIP() << "runs inside MultiScreenCapture";
    }
    FakePlatformScope scope;
    ASSERT_EQ(scope.capturer().captureAllDisplays().size(), 3);
    // R disappears after the list was cached: the cached attempt fails, the fresh list lacks it.
    scope.displays().setHidden(QStringLiteral("R"), true);
    scope.displays().setUnplugged(QStringLiteral("R"), true);
    scope.clock += 10;
    const QList<CapturedDisplay> displays = scope.capturer().captureAllDisplays();
    ASSERT_EQ(displays.size(), 2);
    EXPECT_EQ(displays[0].screen->name(), QStringLiteral("P"));
    EXPECT_EQ(displays[1].screen->name(), QStringLiteral("T"));
    const QStringList lines = scope.logLines();
    EXPECT_TRUE(lines.filter(QRegularExpression(QStringLiteral("^性能：抓屏重试完成 \\d+ ms（2 块屏幕）。$")))
                    .size() == 1)
        << qPrintable(lines.join(QLatin1Char('\n')));
}

TEST(MultiScreenChild, WindowSnapshotLandsInGlobalAndCanvasPoints) {
    if (!inChild("three")) {
        GTEST_SKIP() << "runs inside MultiScreenCapture";
    }
    FakePlatformScope scope;
    const auto window = [](double x, double y, double w, double h, const char* name, std::int64_t pid = 77) {
        return tessary::WindowDescription{pid, 0, 1.0, tessary::Rect{x, y, w, h}, name};
    };
    // Qt global, y down: on T (100, 50 inside it), on R, and one of our own windows on P.
    scope.platform().fakeWindowList().setWindows(std::vector<tessary::WindowDescription>{
        window(100, 150, 400, 300, "Viewer"), window(3300, 10, 200, 100, "Shell"),
        window(1300, 10, 500, 500, "Tessary", QCoreApplication::applicationPid())});

    const std::vector<tessary::OnScreenWindow> windows =
        OnScreenWindowList::snapshot(scope.platform().windowList());
    const std::vector<tessary::OnScreenWindow> expected = {{{-1180, 630, 400, 300}, "Viewer"},
                                                           {{2020, 970, 200, 100}, "Shell"}};
    EXPECT_EQ(windows, expected);

    const QScreen* t = QGuiApplication::screens().at(2);
    EXPECT_EQ(tessary::WindowGeometry::canvasRect(windows[0].frame, CoordinateSpace::frameOf(t)),
              (tessary::Rect{100, 450, 400, 300}));
    // The same window through the widget-side helper of the canvas on T.
    EXPECT_EQ(CoordinateSpace::fromWidget(QRectF(100, 50, 400, 300), t->geometry().height()),
              (tessary::Rect{100, 450, 400, 300}));
}

TEST(MultiScreenChild, GlobalConversionsFollowThePrimaryDisplay) {
    if (!inChild("three")) {
        GTEST_SKIP() << "runs inside MultiScreenCapture";
    }
    EXPECT_EQ(CoordinateSpace::primaryGeometry(), QRectF(1280, 0, 1920, 1080));
    EXPECT_EQ(CoordinateSpace::fromQtGlobal(QPointF(1280, 1080)), (tessary::Point{0, 0}));
    EXPECT_EQ(CoordinateSpace::toQtGlobal(tessary::Point{-1280, 980}), QPointF(0, 100));
    EXPECT_EQ(CoordinateSpace::toQtGlobal(tessary::Rect{1920, 180, 1440, 900}), QRectF(3200, 0, 1440, 900));
}

TEST(WideScreenChild, OnlyTheDisplayOverTheLimitFails) {
    if (!inChild("wide")) {
        GTEST_SKIP() << "runs inside MultiScreenCapture";
    }
    FakePlatformScope scope;
    scope.displays().setHidden(QStringLiteral("B"), true);
    const QList<CapturedDisplay> displays = scope.capturer().captureAllDisplays();
    ASSERT_EQ(displays.size(), 1);
    EXPECT_EQ(displays[0].image.size(), QSize(16384, 16));

    scope.displays().setHidden(QStringLiteral("B"), false);
    scope.capturer().dropCache();
    const int grabsBefore = scope.displays().grabCount();
    try {
        scope.capturer().captureAllDisplays();
        ADD_FAILURE() << "no error";
    } catch (const ScreenCaptureError& error) {
        EXPECT_EQ(error.kind(), ScreenCaptureError::Kind::platform);
        EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("16386")));
    }
    EXPECT_EQ(scope.displays().grabCount(), grabsBefore) << "nothing may be grabbed";
    EXPECT_EQ(
        scope.logLines()
            .filter(QStringLiteral("抓屏：屏幕 B 有 16386x16 像素，超过每边 16384 像素的上限，无法冻结。"))
            .size(),
        2);
}
