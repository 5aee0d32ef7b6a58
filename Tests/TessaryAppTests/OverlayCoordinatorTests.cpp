#include "FakePlatformScope.h"
#include "OverlayTestSupport.h"

#include "Foundation/L10n.h"
#include "Output/PinnedImageWindow.h"
#include "Overlay/Bars/NoticeBarView.h"
#include "Overlay/Session/NoticePanel.h"
#include "Overlay/Session/OverlayCoordinator.h"
#include "Overlay/Session/OverlayWindow.h"
#include "Overlay/Session/ScreenRecordingPermission.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

using namespace OverlayTest;
using tessary::Rect;

namespace {

bool logged(FakePlatformScope& scope, const QString& line) {
    return scope.logLines().contains(line);
}

bool loggedMatching(FakePlatformScope& scope, const QString& pattern) {
    return !scope.logLines().filter(QRegularExpression(pattern)).isEmpty();
}

// Ends a session and lets the deferred teardown run.
void end(OverlayCoordinator& coordinator) {
    coordinator.finish();
    spin(20);
}

void sendRightPress(QObject* target, QPointF at) {
    QMouseEvent event(QEvent::MouseButtonPress, at, at, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

QRgb screenPixel(int screen, int x, int y) {
    return FakeDisplayCapture::patternPixel(screen, x, y);
}

} // namespace

TEST(OverlayCoordinator, BeginCoversEveryDisplayOnceAndEndsCleanly) {
    FakePlatformScope scope;
    scope.platform().fakeFrontmostWindow().setCurrent(42);
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    ASSERT_TRUE(coordinator.isActive());
    ASSERT_EQ(coordinator.windows().size(), QGuiApplication::screens().size());
    OverlayWindow* window = coordinator.windows().first();
    EXPECT_EQ(window->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::X11BypassWindowManagerHint);
    EXPECT_TRUE(loggedMatching(scope, QStringLiteral("^性能：截图请求到覆盖层显示 \\d+ ms。$")));
    // The magnifier is on from the start.
    EXPECT_TRUE(coordinator.canvases().first()->isPreSelectionLoupeActive());

    coordinator.begin();
    EXPECT_EQ(coordinator.windows().size(), QGuiApplication::screens().size())
        << "a second request is ignored";

    QPointer<OverlayWindow> watched(window);
    key(coordinator.canvases().first(), Qt::Key_Escape);
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_TRUE(coordinator.windows().isEmpty());
    EXPECT_EQ(scope.platform().fakeFrontmostWindow().activations(), QList<FrontmostWindow::Handle>{42});
    EXPECT_TRUE(spinUntil([&] { return watched.isNull(); }, 1000)) << "overlays are released";
}

TEST(OverlayCoordinator, RightClickCancelsOnlyDuringASession) {
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    ASSERT_TRUE(coordinator.isActive());
    OverlayWindow* window = coordinator.windows().first();
    SelectionCanvasView* canvas = window->canvas();
    sendRightPress(window->windowHandle(), {100, 100});
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_TRUE(logged(scope, QStringLiteral("截图：鼠标右键取消。")));
    EXPECT_TRUE(canvas->selection() == std::nullopt && !canvas->interaction().isDragging())
        << "the press never reached the canvas";
    spin(20);

    struct Target : QWidget {
        int presses = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    } target;
    sendRightPress(&target, {5, 5});
    EXPECT_EQ(target.presses, 1) << "outside a session right clicks are delivered";
}

TEST(OverlayCoordinator, RefusedPermissionShowsGuidanceAndStaysIdle) {
    FakePlatformScope scope;
    scope.platform().fakeCapturePermission().setGranted(false, false);
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_TRUE(coordinator.windows().isEmpty());
    ASSERT_NE(NoticePanel::visible(), nullptr);
    const QString text = ScreenRecordingPermission::guidanceText();
    EXPECT_EQ(NoticePanel::visible()->bar()->text(), text);
    EXPECT_FALSE(NoticePanel::visible()->bar()->hasClickAction()) << "no settings link to open here";
    EXPECT_EQ(scope.logLines().count(QStringLiteral("屏幕录制权限未授权，已提示用户去系统设置开。")), 1);
    EXPECT_EQ(scope.logLines().count(QStringLiteral("提示：") + text), 1);
    NoticePanel::visible()->dismiss();
}

TEST(OverlayCoordinator, CaptureFailureIsLoggedAndEndsTheSession) {
    FakePlatformScope scope;
    scope.displays().failNextGrabs(2);
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_TRUE(coordinator.windows().isEmpty());
    EXPECT_TRUE(loggedMatching(scope, QStringLiteral("^抓屏失败：.+")));
    coordinator.begin();
    EXPECT_TRUE(coordinator.isActive()) << "the next request starts afresh";
    end(coordinator);
}

TEST(OverlayCoordinator, CopyNeedsASelectionOfAtLeastOnePoint) {
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    coordinator.canvases().first()->setSelection(Rect{10, 10, 0.5, 40});
    key(coordinator.canvases().first(), Qt::Key_Return);
    EXPECT_TRUE(logged(scope, QStringLiteral("完成：没有可用的选区，直接收尾。")));
    EXPECT_FALSE(coordinator.isActive());
    spin(20);

    coordinator.begin();
    SelectionCanvasView* canvas = coordinator.canvases().first();
    canvas->setSelection(Rect{10, 10, 100, 50});
    // The canvas is gone once the session ends.
    const int canvasHeight = int(canvas->height());
    coordinator.confirm(canvas->captureOutput(ToolKind::confirm));
    EXPECT_FALSE(coordinator.isActive()) << "the overlay goes before the clipboard is written";
    ASSERT_TRUE(
        spinUntil([&] { return logged(scope, QStringLiteral("完成：已裁剪 100x50 像素，写剪贴板成功。")); }));
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(100, 50));
    const int top = canvasHeight - 60;
    EXPECT_EQ(copied.pixel(0, 0) | 0xff000000u, screenPixel(0, 10, top));
}

TEST(OverlayCoordinator, SaveAndPinUseTheRenderedSelection) {
    FakePlatformScope scope;
    QTemporaryDir dir;
    tessary::LaunchOptions options;
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    options.devSavePath = path.toStdString();
    OverlayCoordinator coordinator(options, scope.services());

    coordinator.begin();
    coordinator.canvases().first()->setSelection(Rect{20, 30, 64, 48});
    coordinator.save(coordinator.canvases().first()->captureOutput(ToolKind::save));
    EXPECT_FALSE(coordinator.isActive());
    ASSERT_TRUE(spinUntil([&] {
        return logged(scope,
                      QStringLiteral("保存（开发模式）：64x48 → ") + path + QStringLiteral("，成功。"));
    }));
    EXPECT_EQ(QImage(path).size(), QSize(64, 48));

    coordinator.begin();
    const qsizetype pinsBefore = PinnedImageWindow::openWindows().size();
    coordinator.canvases().first()->setSelection(Rect{20.7, 30.2, 64, 48});
    coordinator.pin(coordinator.canvases().first()->captureOutput(ToolKind::pin));
    EXPECT_FALSE(coordinator.isActive());
    ASSERT_EQ(PinnedImageWindow::openWindows().size(), pinsBefore + 1);
    EXPECT_TRUE(logged(scope, QStringLiteral("贴图：64x48 像素，位置 20,30")));
    PinnedImageWindow::openWindows().last()->closeWindow();
}

TEST(OverlayCoordinator, QrCopyNeedsPayloadsAndShowsThemInANotice) {
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    SelectionCanvasView* canvas = coordinator.canvases().first();
    canvas->setSelection(Rect{50, 300, 200, 200});
    canvas->handleToolbarSelection(ToolKind::qrCode);
    EXPECT_TRUE(coordinator.isActive()) << "no payloads: nothing happens";

    canvas->setQRPayloads({QStringLiteral("https://example.org"), QStringLiteral("line one\nline two")});
    canvas->handleToolbarSelection(ToolKind::qrCode);
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("https://example.org\n\nline one\nline two"));
    const QString notice = L10n::format(QStringLiteral("qr.copied"),
                                        {QStringLiteral("https://example.org ·  · line one · line two")});
    ASSERT_NE(NoticePanel::visible(), nullptr);
    EXPECT_EQ(NoticePanel::visible()->bar()->text(), notice);
    EXPECT_TRUE(logged(scope, QStringLiteral("提示：") + notice));
    // The notice hangs 12 points under the selection.
    EXPECT_DOUBLE_EQ(NoticePanel::visible()->globalFrame().maxY(), 300 - 12);
    NoticePanel::visible()->dismiss();
}

TEST(OverlayCoordinator, QrCodeInAReleasedSelectionIsFoundAndCopied) {
    QProcess qrencode;
    qrencode.start(QStringLiteral("qrencode"),
                   {QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("-s"), QStringLiteral("4"),
                    QStringLiteral("https://tessary.test/qr")});
    if (!qrencode.waitForFinished() || qrencode.exitCode() != 0) {
        GTEST_SKIP() << "qrencode is not installed";
    }
    QImage code;
    ASSERT_TRUE(code.loadFromData(qrencode.readAllStandardOutput(), "PNG"));
    FakePlatformScope scope;
    QScreen* screen = QGuiApplication::primaryScreen();
    QImage desktop(screen->geometry().size(), QImage::Format_RGB32);
    desktop.fill(Qt::white);
    QPainter(&desktop).drawImage(QPoint(100, 100), code);
    scope.displays().setImage(screen->name(), desktop);

    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    SelectionCanvasView* canvas = coordinator.canvases().first();
    const double top = canvas->height() - 80;
    dragFromTo(canvas, {80, top}, {120.0 + code.width(), top - 40 - code.height()});
    ASSERT_TRUE(spinUntil([&] { return !canvas->qrPayloads().isEmpty(); }, 5000));
    EXPECT_EQ(canvas->qrPayloads(), QStringList{QStringLiteral("https://tessary.test/qr")});

    // Moving the selection forgets what was found for the old one.
    dragFromTo(canvas, {150, top - 50}, {151, top - 50});
    EXPECT_TRUE(canvas->qrPayloads().isEmpty());
    ASSERT_TRUE(spinUntil([&] { return !canvas->qrPayloads().isEmpty(); }, 5000));
    canvas->handleToolbarSelection(ToolKind::qrCode);
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("https://tessary.test/qr"));
    if (NoticePanel::visible()) {
        NoticePanel::visible()->dismiss();
    }
}

TEST(OverlayCoordinator, TextRecognitionWithoutASelectionGivesUp) {
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    coordinator.canvases().first()->handleToolbarSelection(ToolKind::ocr);
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_TRUE(logged(scope, QStringLiteral("提取文字：取不到选区画面，放弃。")));
}

TEST(OverlayCoordinator, ScriptedSelectionRunsItsActionAfterThreeSeconds) {
    FakePlatformScope scope;
    QTemporaryDir dir;
    tessary::LaunchOptions options;
    options.demoSelection = true;
    options.devSelectionRect = Rect{10, 20, 300, 200};
    options.autoAction = tessary::AutoAction::save;
    options.devSavePath = dir.filePath(QStringLiteral("auto.png")).toStdString();
    OverlayCoordinator coordinator(options, scope.services());
    QElapsedTimer timer;
    timer.start();
    coordinator.begin();
    ASSERT_EQ(coordinator.canvases().first()->selection(), (Rect{10, 20, 300, 200}));
    // The loupe turned on at presentation gives way to the scripted selection.
    EXPECT_FALSE(coordinator.canvases().first()->isPreSelectionLoupeActive());
    ASSERT_TRUE(spinUntil([&] { return !coordinator.isActive(); }, 15000));
    EXPECT_GE(timer.elapsed(), 3000);
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(dir.filePath(QStringLiteral("auto.png"))); }));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("auto.png"))).size(), QSize(300, 200));
}

TEST(OverlayCoordinator, PerfProbeOfFiveFramesReportsTooFewSamplesAndCloses) {
    FakePlatformScope scope;
    QTemporaryDir dir;
    tessary::LaunchOptions options;
    options.devPerfProbeFrames = 5;
    options.devPerfOutputPath = dir.filePath(QStringLiteral("perf.txt")).toStdString();
    OverlayCoordinator coordinator(options, scope.services());
    coordinator.begin();
    ASSERT_TRUE(coordinator.isActive());
    ASSERT_TRUE(spinUntil([&] { return !coordinator.isActive(); }, 3000));
    QFile file(dir.filePath(QStringLiteral("perf.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << qPrintable(lines.join(QLatin1Char('\n')));
    EXPECT_TRUE(
        lines[0].startsWith(QStringLiteral("性能探针：开始，目标 5 帧，绘制路径＝优化后（图层 + 脏矩形）")));
    EXPECT_EQ(lines[1], QStringLiteral("性能探针：只采到 5 帧，样本不足，本次不报告。"));
}

// Two displays side by side; the right one at 2x, half the height.
namespace {
constexpr const char* twoScreens = R"({ "screens": [
  { "name": "L", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 },
  { "name": "R", "x": 800, "y": 0, "width": 400, "height": 300, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2 }
] })";
}

TEST(OverlayCoordinator, TwoDisplays) {
    runInLayout("two", twoScreens, QStringLiteral("OverlayTwoDisplays.*"), 3);
}

TEST(OverlayTwoDisplays, OneSelectionAcrossDisplays) {
    if (!inLayout("two")) {
        GTEST_SKIP() << "runs inside OverlayCoordinator.TwoDisplays";
    }
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    ASSERT_EQ(coordinator.windows().size(), 2);
    EXPECT_EQ(coordinator.windows()[1]->geometry(), QRect(800, 0, 400, 300));
    SelectionCanvasView* left = coordinator.canvases()[0];
    SelectionCanvasView* right = coordinator.canvases()[1];
    dragFromTo(left, {100, 100}, {200, 200});
    ASSERT_TRUE(left->selection());
    EXPECT_EQ(coordinator.keyCanvas(), left);
    dragFromTo(right, {10, 10}, {60, 40});
    EXPECT_FALSE(left->selection()) << "starting on the second display clears the first";
    EXPECT_EQ(right->selection(), (Rect{10, 10, 50, 30}));
    EXPECT_EQ(coordinator.keyCanvas(), right);
    // R's frame in global points: right of L, its top flush with L's top (y up from L's bottom).
    EXPECT_EQ(OverlayCoordinator::globalSelection(right), (Rect{810, 310, 50, 30}));
    end(coordinator);
}

TEST(OverlayTwoDisplays, CropOnTheDoubleScaleDisplay) {
    if (!inLayout("two")) {
        GTEST_SKIP() << "runs inside OverlayCoordinator.TwoDisplays";
    }
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    SelectionCanvasView* right = coordinator.canvases()[1];
    right->setSelection(Rect{10.25, 10, 20, 10});
    coordinator.confirm(right->captureOutput(ToolKind::confirm));
    ASSERT_TRUE(
        spinUntil([&] { return logged(scope, QStringLiteral("完成：已裁剪 40x20 像素，写剪贴板成功。")); }));
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(40, 20));
    // Column round(20.5) = 21; top row 2 x (300 − 20) = 560.
    EXPECT_EQ(copied.pixel(0, 0) | 0xff000000u, screenPixel(1, 21, 560));
    EXPECT_EQ(copied.pixel(39, 19) | 0xff000000u, screenPixel(1, 60, 579));
}

TEST(OverlayTwoDisplays, GrabbedPointerEventsGoToTheDisplayUnderThePointer) {
    if (!inLayout("two")) {
        GTEST_SKIP() << "runs inside OverlayCoordinator.TwoDisplays";
    }
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    OverlayWindow* left = coordinator.windows()[0];
    SelectionCanvasView* right = coordinator.canvases()[1];
    // With a pointer grab every event arrives at the first window, in its coordinates.
    const auto send = [&](QEvent::Type type, QPointF global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, left->mapFromGlobal(global), global,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(left->windowHandle(), &event);
    };
    send(QEvent::MouseButtonPress, {900, 100}, Qt::LeftButton);
    send(QEvent::MouseMove, {1000, 50}, Qt::LeftButton);
    send(QEvent::MouseMove, {1300, 0}, Qt::LeftButton); // past R's right edge: clamped
    send(QEvent::MouseButtonRelease, {1300, 0}, Qt::NoButton);
    EXPECT_EQ(right->selection(), (Rect{100, 200, 300, 100}));
    EXPECT_FALSE(coordinator.canvases()[0]->selection());
    EXPECT_EQ(coordinator.keyCanvas(), right);
    end(coordinator);
}
