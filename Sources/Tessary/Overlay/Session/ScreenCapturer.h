#pragma once

#include "Overlay/Session/CapturedDisplay.h"
#include "Platform/DisplayCapture.h"

#include <QList>

#include <functional>
#include <optional>

class CapturePermission;
class QScreen;

// Freezes every display at once. Main thread only. Failures throw ScreenCaptureError.
class ScreenCapturer {
public:
    // Monotonic seconds.
    using Clock = std::function<double()>;

    // Without a clock, the process's monotonic clock.
    ScreenCapturer(DisplayCapture& capture, CapturePermission& permission, Clock clock = {});

    // One CapturedDisplay per attached display that Qt knows, in the platform's display order.
    // Retries once with a fresh display list when the first attempt fails.
    QList<CapturedDisplay> captureAllDisplays();

    // Fills the display-list cache and exercises the grab path with a small thumbnail. Never fails.
    void prewarm();

    // Drops the cached display list (the screen configuration changed).
    void dropCache();

    // The cached display list if younger than 30 s (unless forced), else a fresh one.
    QList<CapturableDisplay> shareableContent(bool forceRefresh);
    // Captures the listed displays that have a matching screen.
    QList<CapturedDisplay> capture(const QList<CapturableDisplay>& content);
    // The first screen in Qt's list with the display's name.
    static QScreen* matchingScreen(const CapturableDisplay& display);
    // Warm-up thumbnail size for a display of `points` (at most 128 on a side, aspect kept).
    static QSize thumbnailSize(QSize points);

    static constexpr double cacheLifetimeSeconds = 30;
    static constexpr int maximumPixelsPerSide = 16384;

    bool hasCachedContent() const { return m_cachedContent.has_value(); }

private:
    double now() const;

    DisplayCapture& m_capture;
    CapturePermission& m_permission;
    Clock m_clock;
    std::optional<QList<CapturableDisplay>> m_cachedContent;
    double m_cachedContentAt = 0;
};
