#pragma once

#include "Scrolling/ScrollFrameConverter.h"
#include "TessaryCore/Geometry.h"
#include "TessaryCore/ScrollStitchSession.h"
#include "TessaryCore/ScrollingProgress.h"

#include <QColorSpace>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <functional>
#include <optional>

class DisplayCapture;
class QScreen;
class QTimer;

// Runs one scrolling capture: grabs the region again and again while the user scrolls the window under
// it, stitches the frames in grey and keeps in colour only the rows each frame adds. A directory of frame
// images can stand in for the screen. Main thread only; the loop is a single-shot timer, so a stop or
// cancel takes effect before the next frame and never in the middle of one.
class ScrollingCaptureController : public QObject {
    Q_OBJECT
public:
    // `selection` is in global points (y up) on `screen`, `scale` its pixels per point.
    ScrollingCaptureController(DisplayCapture& capture, QScreen* screen, double scale,
                               const tessary::Rect& selection, std::optional<QString> devFramesDirectory,
                               std::optional<double> autoStopAfter, QObject* parent = nullptr);
    ~ScrollingCaptureController() override;

    void start();
    // Ends the capture and delivers what was stitched; ignored when not running.
    void stop();
    // Ends the capture without a result; ignored when not running.
    void cancel();
    bool isRunning() const { return running_; }
    // Stopped, and the long image is being drawn; onFinish follows.
    bool isRendering() const { return rendering_; }

    // Feeds one frame (the loops call this; so do benchmarks).
    void consume(const QImage& image);

    // Set by the owner before start().
    std::function<void(const QImage&)> onStrip;
    std::function<void(const tessary::ScrollingProgress&)> onProgress;
    std::function<void(const QList<QImage>&)> onFinish;
    // The platform turned a grab down for good (no way to read the screen here): the capture stops
    // with what it has; this comes first with the reason, for the user.
    std::function<void(const QString&)> onRefused;
    // Asked before each screen grab; true means a window of ours was hidden off the region and the grab
    // waits for the desktop to repaint under it. `afterGrab` then shows it again.
    std::function<bool()> beforeGrab;
    std::function<void()> afterGrab;

    const QColorSpace& capturedColorSpace() const { return colorSpace_; }
    const tessary::ScrollStitchSession& session() const { return session_; }
    // The region in the capture space's pixels, once the screen loop has set it up.
    const QRect& nativeRegion() const { return nativeRegion_; }

    // Frame files larger than this are skipped as unreadable.
    static constexpr qint64 maximumFramePixels = 64LL * 1024 * 1024;

private:
    void scheduleNext(int delayMs);
    void screenStep();
    void grabAndConsume();
    void directoryStep();
    bool setUpScreen(QString& error);
    QImage readFrame(const QString& path);

    DisplayCapture& capture_;
    QPointer<QScreen> screen_;
    double scale_;
    tessary::Rect selection_;
    std::optional<QString> devFramesDirectory_;
    std::optional<double> autoStopAfter_;

    tessary::ScrollStitchSession session_;
    ScrollFrameConverter::FrameStrips strips_;
    int pixelWidth_ = 0;
    QColorSpace colorSpace_;
    bool running_ = false;
    bool rendering_ = false;
    int consecutiveRejections_ = 0;
    QElapsedTimer startedAt_;

    QTimer* loop_ = nullptr;
    QRect nativeRegion_;
    QStringList files_;
    qsizetype nextFile_ = 0;
};
