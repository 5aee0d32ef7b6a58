#include "FakePlatformScope.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/L10n.h"
#include "Overlay/Session/ScreenCaptureError.h"
#include "Overlay/Session/ScreenRecordingPermission.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool logged(const QStringList& lines, const QString& pattern) {
    const QRegularExpression re(QStringLiteral("^") + pattern + QStringLiteral("$"));
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString& line) { return re.match(line).hasMatch(); });
}

} // namespace

TEST(ScreenCapturer, DisplayListIsReusedForThirtySeconds) {
    struct Case {
        double gap;
        int expectedLists;
    };
    for (const Case c : {Case{10, 1}, Case{29.9, 1}, Case{30, 2}, Case{31, 2}}) {
        FakePlatformScope scope;
        scope.capturer().captureAllDisplays();
        scope.clock += c.gap;
        scope.capturer().captureAllDisplays();
        EXPECT_EQ(scope.displays().displayListCount(), c.expectedLists) << "gap " << c.gap;
        EXPECT_EQ(scope.displays().grabCount(), 2);
    }
}

TEST(ScreenCapturer, DroppedCacheFetchesANewList) {
    FakePlatformScope scope;
    scope.capturer().captureAllDisplays();
    scope.capturer().dropCache();
    EXPECT_FALSE(scope.capturer().hasCachedContent());
    scope.capturer().captureAllDisplays();
    EXPECT_EQ(scope.displays().displayListCount(), 2);
}

TEST(ScreenCapturer, CapturesTheScreenAtItsScaleWithItsFrame) {
    FakePlatformScope scope;
    const QList<CapturedDisplay> displays = scope.capturer().captureAllDisplays();
    ASSERT_EQ(displays.size(), 1);
    const CapturedDisplay& d = displays.first();
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(d.screen, screen);
    EXPECT_EQ(d.scale, screen->devicePixelRatio());
    EXPECT_EQ(d.geometry, screen->geometry());
    EXPECT_EQ(d.frame,
              (tessary::Rect{0, 0, double(screen->geometry().width()), double(screen->geometry().height())}));
    ASSERT_EQ(d.image.size(), screen->geometry().size() * screen->devicePixelRatio());
    // Top row first: the image's first row is the display's top row.
    for (const QPoint p : {QPoint(0, 0), QPoint(799, 0), QPoint(0, 799), QPoint(300, 517)}) {
        EXPECT_EQ(d.image.pixel(p), FakeDisplayCapture::patternPixel(0, p.x(), p.y()))
            << p.x() << "," << p.y();
    }
    EXPECT_TRUE(logged(scope.logLines(), QStringLiteral("性能：抓屏完成 \\d+ ms（1 块屏幕）。")));
}

TEST(ScreenCapturer, DisplaysWithoutAScreenAreLeftOut) {
    FakePlatformScope scope;
    scope.displays().addPhantomDisplay({QStringLiteral("ghost"), QRect(5000, 0, 640, 480)});
    EXPECT_EQ(scope.capturer().captureAllDisplays().size(), 1);
    ASSERT_EQ(scope.displays().lastRequests().size(), 1);
    EXPECT_NE(scope.displays().lastRequests().first().display.name, QStringLiteral("ghost"));
}

TEST(ScreenCapturer, NoMatchingDisplayThrowsNoDisplays) {
    struct Case {
        const char* name;
        bool phantom;
    };
    for (const Case c : {Case{"empty list", false}, Case{"only unmatched displays", true}}) {
        FakePlatformScope scope;
        scope.displays().setHidden(QGuiApplication::primaryScreen()->name(), true);
        if (c.phantom) {
            scope.displays().addPhantomDisplay({QStringLiteral("ghost"), QRect(0, 0, 640, 480)});
        }
        try {
            scope.capturer().captureAllDisplays();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const ScreenCaptureError& error) {
            EXPECT_EQ(error.kind(), ScreenCaptureError::Kind::noDisplays) << c.name;
            EXPECT_EQ(error.localizedDescription(), L10n::text(QStringLiteral("capture.error.noDisplays")));
            EXPECT_NE(error.localizedDescription(), QStringLiteral("capture.error.noDisplays"));
        }
        // One try with the cached list, one with a fresh one.
        EXPECT_EQ(scope.displays().displayListCount(), 2) << c.name;
        EXPECT_EQ(scope.displays().grabCount(), 0) << c.name;
    }
}

TEST(ScreenCapturer, OneFailedGrabIsRetriedWithAFreshList) {
    FakePlatformScope scope;
    scope.capturer().captureAllDisplays();
    scope.displays().failNextGrabs(1);
    const QList<CapturedDisplay> displays = scope.capturer().captureAllDisplays();
    EXPECT_EQ(displays.size(), 1);
    EXPECT_EQ(scope.displays().displayListCount(), 2);
    EXPECT_EQ(scope.displays().grabCount(), 3);
    EXPECT_TRUE(logged(scope.logLines(), QStringLiteral("性能：抓屏重试完成 \\d+ ms（1 块屏幕）。")));
}

TEST(ScreenCapturer, SecondFailureIsThrownAndListFailureIsNotRetried) {
    struct Case {
        const char* name;
        int failedLists;
        int failedGrabs;
        int expectedLists;
        int expectedGrabs;
    };
    const Case cases[] = {
        {"grab fails twice", 0, 2, 2, 2},
        {"first list fails", 1, 0, 1, 0},
        {"refreshed list fails", 1, 1, 2, 1},
    };
    for (const Case& c : cases) {
        FakePlatformScope scope;
        if (c.failedLists == 1 && c.failedGrabs == 1) {
            scope.capturer().shareableContent(true); // the first attempt then runs on a cached list
        }
        scope.displays().failNextDisplayLists(c.failedLists);
        scope.displays().failNextGrabs(c.failedGrabs);
        try {
            scope.capturer().captureAllDisplays();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const ScreenCaptureError& error) {
            EXPECT_EQ(error.kind(), ScreenCaptureError::Kind::platform) << c.name;
            EXPECT_FALSE(error.localizedDescription().isEmpty()) << c.name;
        }
        EXPECT_EQ(scope.displays().displayListCount(), c.expectedLists) << c.name;
        EXPECT_EQ(scope.displays().grabCount(), c.expectedGrabs) << c.name;
    }
}

TEST(ScreenCapturer, FixtureImagesStandInForTheScreens) {
    QTemporaryDir dir;
    const QSize native = QGuiApplication::primaryScreen()->geometry().size() *
                         QGuiApplication::primaryScreen()->devicePixelRatio();
    QImage fixture(native, QImage::Format_RGB32);
    fixture.fill(qRgb(12, 34, 56));
    fixture.setPixel(native.width() - 1, 0, qRgb(200, 100, 0));
    const QString good = dir.filePath(QStringLiteral("screen.png"));
    ASSERT_TRUE(fixture.save(good));
    const QString broken = dir.filePath(QStringLiteral("broken.png"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG not really");
    file.close();

    struct Case {
        QString paths;
        bool loads;
    };
    for (const Case& c :
         {Case{good, true}, Case{broken, false}, Case{dir.filePath(QStringLiteral("none.png")), false}}) {
        qputenv("TESSARY_FAKE_SCREENS", c.paths.toUtf8());
        FakePlatformScope scope;
        qunsetenv("TESSARY_FAKE_SCREENS");
        try {
            const QList<CapturedDisplay> displays = scope.capturer().captureAllDisplays();
            ASSERT_TRUE(c.loads) << qPrintable(c.paths);
            ASSERT_EQ(displays.size(), 1);
            EXPECT_EQ(displays[0].image, fixture);
        } catch (const ScreenCaptureError& error) {
            EXPECT_FALSE(c.loads) << qPrintable(c.paths);
            EXPECT_TRUE(error.localizedDescription().contains(c.paths))
                << qPrintable(error.localizedDescription());
        }
    }
}

TEST(ScreenCapturer, ThumbnailKeepsAspectWithinLimits) {
    struct Case {
        QSize points;
        QSize expected;
    };
    const Case cases[] = {
        {{1920, 1080}, {128, 72}}, {{1080, 1920}, {128, 128}}, {{100, 50}, {100, 50}},
        {{5000, 10}, {128, 1}},    {{128, 128}, {128, 128}},   {{0, 0}, {0, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScreenCapturer::thumbnailSize(c.points), c.expected)
            << c.points.width() << "x" << c.points.height();
    }
}

TEST(ScreenCapturer, PrewarmFillsCacheWithAThumbnailGrab) {
    FakePlatformScope scope;
    scope.capturer().prewarm();
    EXPECT_TRUE(scope.capturer().hasCachedContent());
    ASSERT_EQ(scope.displays().lastRequests().size(), 1);
    EXPECT_EQ(scope.displays().lastRequests().first().pixelSize,
              ScreenCapturer::thumbnailSize(QGuiApplication::primaryScreen()->geometry().size()));
    EXPECT_TRUE(logged(scope.logLines(), QStringLiteral("性能：截图服务预热完成 \\d+ ms。")));

    // The first capture afterwards reuses the list the warm-up fetched.
    scope.capturer().captureAllDisplays();
    EXPECT_EQ(scope.displays().displayListCount(), 1);
}

TEST(ScreenCapturer, PrewarmSkipsWithoutPermissionAndNeverThrows) {
    {
        FakePlatformScope scope;
        scope.platform().fakeCapturePermission().setGranted(false, false);
        scope.capturer().prewarm();
        EXPECT_EQ(scope.displays().displayListCount(), 0);
        EXPECT_EQ(scope.platform().fakeCapturePermission().requestCount(), 0);
    }
    for (const bool listFails : {true, false}) {
        FakePlatformScope scope;
        scope.displays().failNextDisplayLists(listFails ? 1 : 0);
        scope.displays().failNextGrabs(listFails ? 0 : 1);
        EXPECT_NO_THROW(scope.capturer().prewarm());
        EXPECT_TRUE(logged(scope.logLines(), QStringLiteral("性能：截图服务预热失败：模拟平台：.+")));
    }
}

TEST(ScreenRecordingPermission, GuidanceShowsTheNoticeAndLogsIt) {
    FakePlatformScope scope;
    QStringList shown;
    ScreenRecordingPermission::setNoticePresenter([&](const QString& text) { shown.append(text); });
    ScreenRecordingPermission::presentGuidance();
    ScreenRecordingPermission::setNoticePresenter({});

    const QString text = L10n::text(QStringLiteral("permission.notice"));
    EXPECT_NE(text, QStringLiteral("permission.notice"));
    EXPECT_EQ(shown, QStringList{text});
    const QStringList lines = scope.logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("屏幕录制权限未授权，已提示用户去系统设置开。"));
    EXPECT_EQ(lines[1], QStringLiteral("提示：") + text);
}
