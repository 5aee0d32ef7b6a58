#include "Scrolling/ScrollingCaptureController.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Platform/DisplayCapture.h"
#include "Platform/PlatformError.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QScreen>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <charconv>
#include <cmath>

namespace {

constexpr int kScreenPeriodMs = 100;
constexpr int kDirectoryPauseMs = 20;
// The overlay that chose the region is still being taken down when the capture starts; the first grab
// waits until the windows under it have repainted.
constexpr int kFirstGrabDelayMs = 150;
// A hidden window's area must be repainted by whatever lies under it before the grab.
constexpr int kRepaintSettleMs = 40;
// Decoding may allocate this much for one frame (Qt's default stops at 128 MB).
constexpr int kDecodeAllocationLimitMb = 1024;

// The shortest text that reads back as `value`, always with a decimal point ("5.0", "2.5").
QString shortestDecimal(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n')) && !text.contains(QLatin1Char('i'))) {
        text += QStringLiteral(".0");
    }
    return text;
}

} // namespace

ScrollingCaptureController::ScrollingCaptureController(DisplayCapture& capture, QScreen* screen, double scale,
                                                       const tessary::Rect& selection,
                                                       std::optional<QString> devFramesDirectory,
                                                       std::optional<double> autoStopAfter, QObject* parent)
    : QObject(parent), capture_(capture), screen_(screen), scale_(scale),
      selection_(selection.standardized()), devFramesDirectory_(std::move(devFramesDirectory)),
      autoStopAfter_(autoStopAfter), session_(tessary::ScrollMatchOptions{}, 8) {
    loop_ = new QTimer(this);
    loop_->setSingleShot(true);
    loop_->setTimerType(Qt::PreciseTimer);
}

ScrollingCaptureController::~ScrollingCaptureController() = default;

void ScrollingCaptureController::start() {
    if (running_) {
        return;
    }
    running_ = true;
    startedAt_.start();
    const QString source = devFramesDirectory_ ? QStringLiteral("，帧来源=目录 ") + *devFramesDirectory_
                                               : QStringLiteral("，帧来源=屏幕");
    Log::info(QStringLiteral("滚动截图：开始，选区 ") + QString::number(qint64(selection_.width)) + 'x' +
              QString::number(qint64(selection_.height)) + QStringLiteral(" 点（") +
              QString::number(qint64(selection_.width * scale_)) + 'x' +
              QString::number(qint64(selection_.height * scale_)) + QStringLiteral(" 像素）") + source);
    loop_->disconnect(this);
    if (devFramesDirectory_) {
        QDir directory(*devFramesDirectory_);
        QStringList names;
        for (const QString& name : directory.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString suffix = QFileInfo(name).suffix().toLower();
            if (suffix == QLatin1String("png") || suffix == QLatin1String("jpg") ||
                suffix == QLatin1String("jpeg")) {
                names.append(name);
            }
        }
        // Plain code-unit order, as the frames' names were written.
        std::sort(names.begin(), names.end());
        files_.clear();
        for (const QString& name : std::as_const(names)) {
            files_.append(directory.filePath(name));
        }
        nextFile_ = 0;
        Log::info(QStringLiteral("滚动截图（开发模式）：从目录读到 ") + QString::number(files_.size()) +
                  QStringLiteral(" 帧。"));
        connect(loop_, &QTimer::timeout, this, &ScrollingCaptureController::directoryStep);
        scheduleNext(0);
        return;
    }
    QString error;
    if (!setUpScreen(error)) {
        Log::error(QStringLiteral("滚动截图：准备抓屏失败：") + error);
        running_ = false;
        if (onFinish) {
            onFinish({});
        }
        return;
    }
    connect(loop_, &QTimer::timeout, this, &ScrollingCaptureController::screenStep);
    scheduleNext(kFirstGrabDelayMs);
}

bool ScrollingCaptureController::setUpScreen(QString& error) {
    if (!screen_) {
        error = QStringLiteral("要截的屏幕已经不在了。");
        return false;
    }
    QList<CapturableDisplay> displays;
    try {
        displays = capture_.displays();
    } catch (const PlatformError& e) {
        error = e.description();
        return false;
    }
    const auto display = std::find_if(displays.cbegin(), displays.cend(), [this](const CapturableDisplay& d) {
        return d.name == screen_->name();
    });
    if (display == displays.cend()) {
        error = QStringLiteral("找不到可截取的屏幕 ") + screen_->name() + QStringLiteral("。");
        return false;
    }
    // Points relative to the screen's top-left, then the screen's pixels in the capture space.
    const QRectF points = CoordinateSpace::toQtGlobal(selection_);
    const QPointF offset = points.topLeft() - QPointF(screen_->geometry().topLeft());
    const QRect pixels(display->nativeGeometry.x() + int(std::lround(offset.x() * scale_)),
                       display->nativeGeometry.y() + int(std::lround(offset.y() * scale_)),
                       int(std::lround(selection_.width * scale_)),
                       int(std::lround(selection_.height * scale_)));
    nativeRegion_ = pixels.intersected(display->nativeGeometry);
    if (nativeRegion_.isEmpty()) {
        error = QStringLiteral("选区不在屏幕 ") + screen_->name() + QStringLiteral(" 上。");
        return false;
    }
    return true;
}

void ScrollingCaptureController::scheduleNext(int delayMs) {
    if (running_) {
        loop_->start(delayMs);
    }
}

void ScrollingCaptureController::screenStep() {
    if (!running_) {
        return;
    }
    if (beforeGrab && beforeGrab()) {
        QPointer<ScrollingCaptureController> self(this);
        QTimer::singleShot(kRepaintSettleMs, this, [self] {
            if (self) {
                self->grabAndConsume();
            }
        });
        return;
    }
    grabAndConsume();
}

void ScrollingCaptureController::grabAndConsume() {
    if (!running_) {
        if (afterGrab) {
            afterGrab();
        }
        return;
    }
    QImage frame;
    try {
        frame = capture_.grabRegion(nativeRegion_);
    } catch (const PlatformError& e) {
        Log::error(QStringLiteral("滚动截图：抓帧失败：") + e.description());
        if (e.kind() == PlatformError::Kind::refused) {
            if (afterGrab) {
                afterGrab();
            }
            // Asking again every period would only fail again.
            if (onRefused) {
                onRefused(e.description());
            }
            stop();
            return;
        }
    }
    if (afterGrab) {
        afterGrab();
    }
    if (!frame.isNull()) {
        consume(frame);
    }
    if (!running_) {
        return;
    }
    if (autoStopAfter_ && double(startedAt_.elapsed()) / 1000.0 >= *autoStopAfter_) {
        Log::info(QStringLiteral("滚动截图：到达开发期设定的时长 ") + shortestDecimal(*autoStopAfter_) +
                  QStringLiteral(" 秒，自动收尾。"));
        stop();
        return;
    }
    scheduleNext(kScreenPeriodMs);
}

QImage ScrollingCaptureController::readFrame(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kDecodeAllocationLimitMb);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maximumFramePixels) {
        return {};
    }
    return reader.read();
}

void ScrollingCaptureController::directoryStep() {
    while (running_ && nextFile_ < files_.size()) {
        const QString path = files_[nextFile_++];
        const QImage frame = readFrame(path);
        if (frame.isNull()) {
            Log::error(QStringLiteral("滚动截图（开发模式）：读不出 ") + QFileInfo(path).fileName() +
                       QStringLiteral("，跳过。"));
            continue;
        }
        consume(frame);
        scheduleNext(kDirectoryPauseMs);
        return;
    }
    if (running_) {
        stop();
    }
}

void ScrollingCaptureController::consume(const QImage& captured) {
    // Strips are cut as premultiplied ARGB32 (or RGB32, its opaque twin) so rendering copies rows.
    const QImage image =
        captured.format() == QImage::Format_RGB32 || captured.format() == QImage::Format_ARGB32_Premultiplied
            ? captured
            : captured.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return;
    }
    if (pixelWidth_ == 0) {
        pixelWidth_ = image.width();
        colorSpace_ = image.colorSpace();
    }
    const std::optional<tessary::GrayscaleFrame> frame = ScrollFrameConverter::grayscale(image);
    if (!frame) {
        return;
    }
    const std::int64_t index = session_.nextFrameIndex();
    const tessary::ScrollStitchSession::Outcome outcome = session_.accept(*frame);
    std::optional<tessary::ScrollingNotice> notice;
    const auto keepWhole = [&] {
        strips_.insert(index, {image, 0});
        consecutiveRejections_ = 0;
        if (onStrip) {
            onStrip(image);
        }
    };
    using Kind = tessary::ScrollStitchSession::Outcome::Kind;
    switch (outcome.kind()) {
    case Kind::appended: {
        consecutiveRejections_ = 0;
        const auto& p = outcome.placement();
        const QRect rows =
            QRect(0, int(p.sourceRow), image.width(), int(p.rowCount)).intersected(image.rect());
        if (!rows.isEmpty()) {
            const QImage strip = image.copy(rows);
            if (!strip.isNull()) {
                strips_.insert(p.frameIndex, {strip, p.sourceRow});
                if (onStrip) {
                    onStrip(strip);
                }
            }
        }
        break;
    }
    case Kind::rejected:
        if (++consecutiveRejections_ < 3) {
            return;
        }
        notice = tessary::noticeForRejection(outcome.failure());
        break;
    case Kind::segmented:
        keepWhole();
        Log::info(QStringLiteral("滚动截图：连续对不上（") +
                  QString::fromLatin1(tessary::failureName(outcome.failure())) +
                  QStringLiteral("），已另起一段。"));
        notice = tessary::noticeForNewSegment(outcome.failure());
        break;
    case Kind::started:
        keepWhole();
        break;
    case Kind::unchanged:
        consecutiveRejections_ = 0;
        break;
    }
    if (onProgress) {
        onProgress({session_.acceptedFrameCount(), session_.totalHeight(), session_.segmentCount(), notice});
    }
}

void ScrollingCaptureController::stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    loop_->stop();
    std::vector<tessary::ScrollStitchSession::Segment> segments = session_.finish();
    if (segments.empty() || pixelWidth_ <= 0) {
        strips_.clear();
        Log::info(QStringLiteral("滚动截图：一帧都没拼上，没有产物。"));
        if (onFinish) {
            onFinish({});
        }
        return;
    }
    // Drawing a long image touches every one of its pages (a 20,000-row capture: about a third of a
    // second): it runs on a worker, and the result comes back here.
    rendering_ = true;
    struct Work {
        std::vector<tessary::ScrollStitchSession::Segment> segments;
        ScrollFrameConverter::FrameStrips strips;
        int pixelWidth;
        QColorSpace colorSpace;
    };
    auto work =
        std::make_shared<Work>(Work{std::move(segments), std::move(strips_), pixelWidth_,
                                    colorSpace_.isValid() ? colorSpace_ : QColorSpace(QColorSpace::SRgb)});
    strips_ = {};
    QtConcurrent::run([work] {
        return ScrollFrameConverter::renderSegments(work->segments, std::move(work->strips), work->pixelWidth,
                                                    work->colorSpace);
    }).then(this, [this](const QList<QImage>& images) {
        rendering_ = false;
        QStringList heights;
        for (const QImage& image : images) {
            heights.append(QString::number(image.height()));
        }
        Log::info(QStringLiteral("滚动截图：完成，") + QString::number(images.size()) +
                  QStringLiteral(" 段，各段高度 ") + heights.join(QStringLiteral(" / ")) +
                  QStringLiteral(" 像素。"));
        if (onFinish) {
            onFinish(images);
        }
    });
}

void ScrollingCaptureController::cancel() {
    if (!running_) {
        return;
    }
    running_ = false;
    loop_->stop();
    strips_.clear();
    Log::info(QStringLiteral("滚动截图：用户取消。"));
    if (onFinish) {
        onFinish({});
    }
}
