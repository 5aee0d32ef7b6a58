#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/LaunchOptions.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class DisplayCapture;
class QColorSpace;
class QScreen;
class ScrollAlignmentWindow;
class ScrollingCaptureController;
class ScrollingCapturePanel;
class ScrollingSelectionFrameWindow;

// The scrolling capture as the capture session starts it: the region frame, the progress panel and the
// controller while it runs, then the manual alignment when the result came in several segments, and the
// delivery of the long image. One per process; a new capture can start while an alignment is open.
class ScrollingCapture : public QObject {
    Q_OBJECT
public:
    ScrollingCapture(DisplayCapture& capture, tessary::LaunchOptions options, QObject* parent = nullptr);
    ~ScrollingCapture() override;

    // Starts capturing `selection` (global points, y up) on `screen` at `scale` pixels per point. Ignored
    // while a capture runs.
    void begin(const tessary::Rect& selection, QScreen* screen, double scale,
               const std::optional<QString>& hotKeyDisplay);
    bool isRunning() const;
    // The capture hot key while a capture runs: the same as Done.
    void finishFromHotKey();

    ScrollingCaptureController* controller() const;
    ScrollingCapturePanel* panel() const;
    ScrollingSelectionFrameWindow* frameWindow() const;
    ScrollAlignmentWindow* alignmentWindow() const;
    // How often the panel had to leave the region for a grab, and for how long in all.
    int panelHideCount() const { return hideCount_; }
    qint64 panelHiddenMs() const { return hiddenMs_; }

Q_SIGNALS:
    // A long image went to the clipboard (and to the developer output path).
    void delivered(const QImage& image, bool clipboardWritten);
    // The capture (and any alignment) ended without a result.
    void endedWithoutResult();

private:
    void finishCapture(const QList<QImage>& segments);
    void presentAlignment(const QList<QImage>& segments, const QColorSpace& colorSpace);
    void deliver(const QImage& image, ScrollingCapturePanel* panel);

    DisplayCapture& capture_;
    tessary::LaunchOptions options_;
    QPointer<ScrollingCaptureController> controller_;
    QPointer<ScrollingCapturePanel> panel_;
    QPointer<ScrollingSelectionFrameWindow> frameWindow_;
    QPointer<ScrollAlignmentWindow> alignmentWindow_;
    // Why the platform refused the running capture's grabs, for the panel.
    QString refusal_;
    int hideCount_ = 0;
    qint64 hiddenMs_ = 0;
    QElapsedTimer hiddenSince_;
};
