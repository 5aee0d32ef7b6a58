#include "FakePlatformScope.h"
#include "Support/ScrollDocument.h"

#include "Foundation/L10n.h"
#include "Scrolling/ScrollAlignmentWindow.h"
#include "Scrolling/ScrollFrameConverter.h"
#include "Scrolling/ScrollingCapture.h"
#include "Scrolling/ScrollingCaptureController.h"
#include "Scrolling/ScrollingCapturePanel.h"
#include "Scrolling/SegmentJoinPreviewView.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 640;
constexpr int kView = 360;

// Rows that differ between two images of the same size (empty when equal); a size mismatch is row -1.
QList<int> differingRows(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return {-1};
    }
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    QList<int> rows;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            if ((p[column] | 0xff000000u) != (q[column] | 0xff000000u)) {
                rows.append(row);
                break;
            }
        }
    }
    return rows;
}

QImage readPng(const QString& path) {
    QImageReader reader(path);
    reader.setAllocationLimit(0);
    return reader.read();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

tessary::Rect selectionOnPrimary(int height) {
    // Anywhere on the offscreen display; the frames directory replaces its pixels.
    return {20, 20, double(kWidth), double(height)};
}

struct CaptureOutcome {
    QImage delivered;
    bool ended = false;
};

// Runs one capture through the entry point the overlay calls and waits for its outcome.
CaptureOutcome runCapture(ScrollingCapture& capture, const tessary::Rect& selection, int timeoutMs = 20000,
                          const std::function<void()>& whileRunning = {}) {
    CaptureOutcome run;
    QObject::connect(&capture, &ScrollingCapture::delivered, &capture,
                     [&run](const QImage& image, bool) { run.delivered = image; });
    QObject::connect(&capture, &ScrollingCapture::endedWithoutResult, &capture, [&run] { run.ended = true; });
    capture.begin(selection, QGuiApplication::primaryScreen(), 1.0, std::nullopt);
    if (whileRunning) {
        whileRunning();
    }
    (void)QTest::qWaitFor([&] { return !run.delivered.isNull() || run.ended; }, timeoutMs);
    return run;
}

TEST(ScrollingCaptureTest, FramesDirectoryStitchesPageWithFixedBarsExactlyAndSkipsWhatItCannotRead) {
    FakePlatformScope scope;
    const QImage page = ScrollDocument::content(kWidth, 2600);
    QTemporaryDir dir;
    // Uneven steps, a pause (same offset twice), a one-row step and a step back.
    const QList<int> offsets = {0,   37,  120,  121,  260,  260,  410,  395,  590,
                                700, 905, 1100, 1290, 1480, 1700, 1900, 2100, 2240};
    for (int i = 0; i < offsets.size(); ++i) {
        // One frame's extension hides PNG data behind ".jpeg": the reader goes by content.
        const QString name =
            QStringLiteral("f%1.%2").arg(i, 3, 10, QLatin1Char('0')).arg(i == 5 ? "jpeg" : "PNG");
        ASSERT_TRUE(ScrollDocument::frame(page, offsets[i], kView).save(dir.filePath(name), "PNG"));
    }
    writeFile(dir.filePath(QStringLiteral("f004b.png")), QByteArray("not an image at all"));
    writeFile(dir.filePath(QStringLiteral("f009b.jpg")), QByteArray());
    writeFile(dir.filePath(QStringLiteral("notes.txt")), QByteArray("ignored"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub.png")));

    tessary::LaunchOptions options;
    options.devScrollFramesDirectory = dir.path().toStdString();
    options.devScrollOutputPath = dir.filePath(QStringLiteral("out/long.png")).toStdString();
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    ScrollingCapture capture(scope.displays(), options);
    const CaptureOutcome run = runCapture(
        capture, selectionOnPrimary(ScrollDocument::headerHeight + kView + ScrollDocument::footerHeight));
    ASSERT_FALSE(run.delivered.isNull()) << scope.logLines().join('\n').toStdString();

    const QImage expected = ScrollDocument::stitched(page, 0, offsets.last() + kView);
    EXPECT_EQ(differingRows(run.delivered, expected), QList<int>{});
    (void)QTest::qWaitFor([&] { return QFile::exists(dir.filePath(QStringLiteral("out/long.png"))); }, 5000);
    QTest::qWait(200);
    EXPECT_EQ(differingRows(readPng(dir.filePath(QStringLiteral("out/long.png"))), expected), QList<int>{});
    EXPECT_EQ(differingRows(QGuiApplication::clipboard()->image(), expected), QList<int>{});

    const QStringList log = scope.logLines();
    const QString size = QStringLiteral("%1x%2").arg(expected.width()).arg(expected.height());
    for (const QString& line :
         {QStringLiteral("滚动截图（开发模式）：从目录读到 20 帧。"),
          QStringLiteral("滚动截图（开发模式）：读不出 f004b.png，跳过。"),
          QStringLiteral("滚动截图（开发模式）：读不出 f009b.jpg，跳过。"),
          QStringLiteral("滚动截图：完成，1 段，各段高度 %1 像素。").arg(expected.height()),
          QStringLiteral("滚动截图：长图 ") + size + QStringLiteral(" 像素，写剪贴板成功。")}) {
        EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.join('\n').toStdString();
    }
    EXPECT_FALSE(log.join('\n').contains(QStringLiteral("notes.txt")));
}

TEST(ScrollingCaptureTest, JumpGivesTwoSegmentsThatTheSuggestedOverlapJoins) {
    FakePlatformScope scope;
    const QImage page = ScrollDocument::content(kWidth, 2000);
    QTemporaryDir dir;
    // The window jumped from 270 to 580: 50 shared rows are too few to match while scrolling, so after
    // eight rejections a second segment begins.
    QList<int> offsets = {0, 90, 180, 270};
    for (int i = 0; i < 8; ++i) {
        offsets.append(580);
    }
    offsets.append({660, 760, 850, 990, 1100});
    for (int i = 0; i < offsets.size(); ++i) {
        ASSERT_TRUE(page.copy(0, offsets[i], kWidth, kView)
                        .save(dir.filePath(QStringLiteral("%1.png").arg(i, 3, 10, QLatin1Char('0')))));
    }
    tessary::LaunchOptions options;
    options.devScrollFramesDirectory = dir.path().toStdString();
    options.devAlignConfirmAfter = 0.5;
    ScrollingCapture capture(scope.displays(), options);
    const CaptureOutcome run = runCapture(capture, selectionOnPrimary(kView));
    ASSERT_FALSE(run.delivered.isNull()) << scope.logLines().join('\n').toStdString();

    EXPECT_EQ(differingRows(run.delivered, page.copy(0, 0, kWidth, offsets.last() + kView)), QList<int>{});
    const QStringList log = scope.logLines();
    for (const QString& line : {QStringLiteral("滚动截图：完成，2 段，各段高度 630 / 880 像素。"),
                                QStringLiteral("滚动截图：2 段没能自动接上，打开手动对齐窗口。"),
                                QStringLiteral("手动对齐：第 1 处接缝自动建议重叠 50 像素。"),
                                QStringLiteral("手动对齐（开发模式）：0.5 秒后自动确认，重叠 50 像素。"),
                                QStringLiteral("手动对齐：1 处接缝对齐了 1 处，长图 640x1460 像素。")}) {
        EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.join('\n').toStdString();
    }
}

// A window scrolled by the test while the capture reads the screen: each grab shows the page further on.
struct ScriptedWindow {
    QImage page;
    QList<int> offsets;
    int grabs = 0;
    QImage operator()(const QRect&) {
        const int offset = offsets[std::min<qsizetype>(grabs++, offsets.size() - 1)];
        return ScrollDocument::frame(page, offset, kView);
    }
};

TEST(ScrollingCaptureTest, HotKeyDeliversTheScreenCaptureAndCancelDeliversNothing) {
    FakePlatformScope scope;
    const QImage page = ScrollDocument::content(kWidth, 1600);
    const QList<int> offsets = {0, 0, 45, 130, 130, 131, 260, 480, 700, 880, 1000};
    auto window = std::make_shared<ScriptedWindow>(ScriptedWindow{page, offsets});
    scope.displays().setRegionSource([window](const QRect& r) { return (*window)(r); });
    const tessary::Rect selection =
        selectionOnPrimary(ScrollDocument::headerHeight + kView + ScrollDocument::footerHeight);

    tessary::LaunchOptions options;
    ScrollingCapture capture(scope.displays(), options);
    const CaptureOutcome finished = runCapture(capture, selection, 20000, [&] {
        EXPECT_TRUE(capture.isRunning());
        (void)QTest::qWaitFor([&] { return window->grabs >= offsets.size() + 2; }, 10000);
        capture.finishFromHotKey();
        EXPECT_FALSE(capture.isRunning());
    });
    ASSERT_FALSE(finished.delivered.isNull()) << scope.logLines().join('\n').toStdString();
    EXPECT_EQ(differingRows(finished.delivered, ScrollDocument::stitched(page, 0, offsets.last() + kView)),
              QList<int>{});
    EXPECT_EQ(scope.displays().lastRequests().size(), 0) << "a region grab, not a whole-display one";

    // Cancel: the clipboard keeps what it had.
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    window->grabs = 0;
    ScrollingCapture second(scope.displays(), options);
    const CaptureOutcome cancelled = runCapture(second, selection, 20000, [&] {
        (void)QTest::qWaitFor([&] { return window->grabs >= 4; }, 10000);
        if (!second.panel()) {
            ADD_FAILURE() << "no panel";
            return;
        }
        second.panel()->cancelButton()->click();
    });
    EXPECT_TRUE(cancelled.ended);
    EXPECT_TRUE(cancelled.delivered.isNull());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    EXPECT_TRUE(scope.logLines().contains(QStringLiteral("滚动截图：用户取消。")));
    EXPECT_EQ(second.panel(), nullptr);
    EXPECT_EQ(second.frameWindow(), nullptr);
}

TEST(ScrollingCaptureTest, AlignmentWindowNavigatesAndAdjustsJoins) {
    FakePlatformScope scope;
    QList<QImage> segments;
    for (int i = 0; i < 3; ++i) {
        QImage segment(1376, 300, QImage::Format_RGB32);
        segment.fill(QColor::fromHsv(i * 100, 40, 240));
        segments.append(segment);
    }
    ScrollAlignmentWindow window(segments);
    window.show();
    EXPECT_EQ(window.overlaps(), (std::vector<std::int64_t>{0, 0})) << "flat colour suggests nothing";
    EXPECT_FALSE(window.previousButton()->isEnabled());
    EXPECT_TRUE(window.nextButton()->isEnabled());
    EXPECT_EQ(window.overlapText(), L10n::text(QStringLiteral("align.notAligned")));

    SegmentJoinPreviewView* preview = window.preview();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(preview, Qt::Key_Up, Qt::ShiftModifier);
    }
    EXPECT_EQ(window.overlaps()[0], 30);
    EXPECT_EQ(window.overlapText(), L10n::format(QStringLiteral("align.overlap"), {QStringLiteral("30")}));

    window.goNext();
    EXPECT_TRUE(window.previousButton()->isEnabled());
    EXPECT_FALSE(window.nextButton()->isEnabled());
    EXPECT_EQ(window.joinText(),
              L10n::format(QStringLiteral("align.joinIndex"), {QStringLiteral("2"), QStringLiteral("2")}));
    // 688 points showing 1376 pixels: 20 points up raises the overlap by 40 rows, then Shift+Down twice.
    QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(300, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 180), preview->mapToGlobal(QPointF(300, 180)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(preview, &move);
    QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(300, 180));
    EXPECT_EQ(window.overlaps()[1], 40);
    QTest::keyClick(preview, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(preview, Qt::Key_Down);
    EXPECT_EQ(window.overlaps(), (std::vector<std::int64_t>{30, 29}));

    std::vector<std::int64_t> confirmed;
    window.onConfirm = [&confirmed](const std::vector<std::int64_t>& overlaps) { confirmed = overlaps; };
    bool cancelled = false;
    window.onCancel = [&cancelled] { cancelled = true; };
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(confirmed.empty());
    EXPECT_FALSE(window.isVisible());
}

} // namespace

namespace {

TEST(ScrollingCaptureTest, StackingDrawsSeamBandsOnlyWhereSegmentsWereNotJoined) {
    QImage upper(200, 100, QImage::Format_ARGB32_Premultiplied);
    upper.fill(QColor(200, 30, 30));
    QImage lower(200, 120, QImage::Format_ARGB32_Premultiplied);
    lower.fill(QColor(30, 30, 200));
    for (int row = 0; row < 30; ++row) {
        std::fill_n(reinterpret_cast<QRgb*>(lower.scanLine(row)), lower.width(), qRgb(30, 200, 30));
    }
    const QColorSpace srgb(QColorSpace::SRgb);

    const std::optional<QImage> joined = ScrollFrameConverter::stack({upper, lower}, {30}, srgb);
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->size(), QSize(200, 190)) << "the lower image's first 30 rows are left out";
    EXPECT_EQ(joined->pixel(10, 99), qRgb(200, 30, 30));
    EXPECT_EQ(joined->pixel(10, 100), qRgb(30, 30, 200));

    const std::optional<QImage> banded = ScrollFrameConverter::stack({upper, lower}, {0}, srgb);
    ASSERT_TRUE(banded);
    ASSERT_EQ(banded->size(), QSize(200, 100 + 14 + 120));
    const QRgb band = qRgb(217, 217, 217);
    EXPECT_EQ(banded->pixel(3, 100), band);
    EXPECT_EQ(banded->pixel(3, 113), band);
    EXPECT_EQ(banded->pixel(3, 114), qRgb(30, 200, 30));
    // The dashed line through the band's middle: dark on the dashes, band grey in the gaps (10 on, 7 off).
    EXPECT_EQ(banded->pixel(5, 107), qRgb(64, 64, 64));
    EXPECT_EQ(banded->pixel(13, 107), band);
    EXPECT_EQ(banded->pixel(20, 107), qRgb(64, 64, 64));
    EXPECT_EQ(banded->pixel(5, 104), band);

    EXPECT_FALSE(ScrollFrameConverter::stack({}, {}, srgb));
    EXPECT_EQ(ScrollFrameConverter::stack({upper}, {}, srgb)->size(), upper.size());
}

} // namespace
