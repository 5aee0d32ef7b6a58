#include "Overlay/Session/ScreenCapturer.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Overlay/Session/ScreenCaptureError.h"
#include "Platform/CapturePermission.h"
#include "Platform/PlatformError.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

QString milliseconds(double seconds) {
    return QString::number(seconds * 1000, 'f', 0);
}

// Runs a platform call, reporting its failure as a capture error.
template <typename Call> auto platformCall(Call&& call) {
    try {
        return call();
    } catch (const PlatformError& error) {
        if (error.kind() == PlatformError::Kind::refused) {
            throw ScreenCaptureError::refused(error.description());
        }
        throw ScreenCaptureError::platform(error.description());
    }
}

int truncatedPixels(double scale, int points) {
    return static_cast<int>(std::trunc(scale * points));
}

} // namespace

ScreenCapturer::ScreenCapturer(DisplayCapture& capture, CapturePermission& permission, Clock clock)
    : m_capture(capture), m_permission(permission), m_clock(std::move(clock)) {}

double ScreenCapturer::now() const {
    if (m_clock) {
        return m_clock();
    }
    static QElapsedTimer timer;
    if (!timer.isValid()) {
        timer.start();
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

void ScreenCapturer::dropCache() {
    m_cachedContent.reset();
    m_cachedContentAt = 0;
}

QList<CapturableDisplay> ScreenCapturer::shareableContent(bool forceRefresh) {
    if (!forceRefresh && m_cachedContent && now() - m_cachedContentAt < cacheLifetimeSeconds) {
        return *m_cachedContent;
    }
    QList<CapturableDisplay> content = platformCall([this] { return m_capture.displays(); });
    m_cachedContent = content;
    m_cachedContentAt = now();
    return content;
}

QScreen* ScreenCapturer::matchingScreen(const CapturableDisplay& display) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto it = std::find_if(screens.begin(), screens.end(),
                                 [&](const QScreen* screen) { return screen->name() == display.name; });
    return it == screens.end() ? nullptr : *it;
}

QList<CapturedDisplay> ScreenCapturer::capture(const QList<CapturableDisplay>& content) {
    if (content.isEmpty()) {
        throw ScreenCaptureError::noDisplays();
    }
    QList<DisplayGrabRequest> requests;
    QList<CapturedDisplay> result;
    for (const CapturableDisplay& display : content) {
        QScreen* screen = matchingScreen(display);
        if (!screen) {
            continue;
        }
        const double scale = screen->devicePixelRatio();
        const QRect geometry = screen->geometry();
        const QSize pixels(truncatedPixels(scale, geometry.width()),
                           truncatedPixels(scale, geometry.height()));
        if (pixels.width() > maximumPixelsPerSide || pixels.height() > maximumPixelsPerSide) {
            Log::error(QStringLiteral("抓屏：屏幕 ") + display.name + QStringLiteral(" 有 ") +
                       QString::number(pixels.width()) + QStringLiteral("x") +
                       QString::number(pixels.height()) + QStringLiteral(" 像素，超过每边 ") +
                       QString::number(maximumPixelsPerSide) + QStringLiteral(" 像素的上限，无法冻结。"));
            throw ScreenCaptureError::platform(L10n::format(
                QStringLiteral("capture.error.displayTooLarge"),
                {display.name, QString::number(pixels.width()), QString::number(pixels.height())}));
        }
        requests.append({display, pixels});
        result.append({QImage(), screen, CoordinateSpace::frameOf(screen), scale, geometry});
    }
    if (requests.isEmpty()) {
        throw ScreenCaptureError::noDisplays();
    }
    const QList<QImage> images = platformCall([&] { return m_capture.grab(requests); });
    if (images.size() != requests.size()) {
        throw ScreenCaptureError::platform(QStringLiteral("抓屏：平台返回的画面数量不对。"));
    }
    for (qsizetype i = 0; i < images.size(); ++i) {
        if (images[i].size() != requests[i].pixelSize) {
            throw ScreenCaptureError::platform(QStringLiteral("抓屏：平台返回的画面尺寸不对。"));
        }
        result[i].image = images[i];
    }
    return result;
}

QList<CapturedDisplay> ScreenCapturer::captureAllDisplays() {
    const double t0 = now();
    QList<CapturableDisplay> content = shareableContent(false);
    try {
        QList<CapturedDisplay> displays = capture(content);
        Log::info(QStringLiteral("性能：抓屏完成 ") + milliseconds(now() - t0) + QStringLiteral(" ms（") +
                  QString::number(displays.size()) + QStringLiteral(" 块屏幕）。"));
        return displays;
    } catch (const ScreenCaptureError& error) {
        // One retry with a fresh display list; the first failure is not reported. A refusal is
        // final: asking again would only ask the user again.
        if (error.kind() == ScreenCaptureError::Kind::refused) {
            throw;
        }
    }
    dropCache();
    content = shareableContent(true);
    QList<CapturedDisplay> displays = capture(content);
    Log::info(QStringLiteral("性能：抓屏重试完成 ") + milliseconds(now() - t0) + QStringLiteral(" ms（") +
              QString::number(displays.size()) + QStringLiteral(" 块屏幕）。"));
    return displays;
}

QSize ScreenCapturer::thumbnailSize(QSize points) {
    const int width = std::min(points.width(), 128);
    const double aspect = double(points.height()) / double(std::max(points.width(), 1));
    const int height = std::clamp(static_cast<int>(std::trunc(aspect * width)), 1, 128);
    return {width, height};
}

void ScreenCapturer::prewarm() {
    if (!m_permission.preflight()) {
        return;
    }
    const double t0 = now();
    try {
        const QList<CapturableDisplay> content = shareableContent(true);
        if (content.isEmpty()) {
            return;
        }
        if (!m_capture.grabsSilently()) {
            Log::info(QStringLiteral("性能：截图服务预热完成 ") + milliseconds(now() - t0) +
                      QStringLiteral(" ms（只列出屏幕）。"));
            return;
        }
        const CapturableDisplay& first = content.first();
        const QScreen* screen = matchingScreen(first);
        const QSize points = screen ? screen->geometry().size() : first.nativeGeometry.size();
        platformCall([&] { return m_capture.grab({{first, thumbnailSize(points)}}); });
        Log::info(QStringLiteral("性能：截图服务预热完成 ") + milliseconds(now() - t0) +
                  QStringLiteral(" ms。"));
    } catch (const ScreenCaptureError& error) {
        Log::info(QStringLiteral("性能：截图服务预热失败：") + error.localizedDescription());
    }
}
