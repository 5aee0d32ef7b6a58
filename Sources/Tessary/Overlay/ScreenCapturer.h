#pragma once

#include "Overlay/CapturedDisplay.h"
#include "Platform/DisplayCapture.h"

#include <QList>

#include <functional>
#include <optional>

class QScreen;

// Freezes every display at once. Main thread only. Failures throw ScreenCaptureError.
class ScreenCapturer {
public:
    // One CapturedDisplay per attached display that Qt knows, in the platform's display order.
    // Retries once with a fresh display list when the first attempt fails.
    static QList<CapturedDisplay> captureAllDisplays();

    // Fills the display-list cache and exercises the grab path with a small thumbnail. Never fails.
    static void prewarm();

    // Drops the cached display list (the screen configuration changed).
    static void dropCache();

    // The cached display list if younger than 30 s (unless forced), else a fresh one.
    static QList<CapturableDisplay> shareableContent(bool forceRefresh);
    // Captures the listed displays that have a matching screen.
    static QList<CapturedDisplay> capture(const QList<CapturableDisplay>& content);
    // The first screen in Qt's list with the display's name.
    static QScreen* matchingScreen(const CapturableDisplay& display);
    // Warm-up thumbnail size for a display of `points` (at most 128 on a side, aspect kept).
    static QSize thumbnailSize(QSize points);

    static constexpr double cacheLifetimeSeconds = 30;
    static constexpr int maximumPixelsPerSide = 16384;

    // Monotonic seconds; tests replace it to step over the cache lifetime. Empty restores the clock.
    static void setClockForTesting(std::function<double()> clock);
    static bool hasCachedContent();

private:
    static double now();
    static std::optional<QList<CapturableDisplay>>& cachedContent();
    static double& cachedContentAt();
};
