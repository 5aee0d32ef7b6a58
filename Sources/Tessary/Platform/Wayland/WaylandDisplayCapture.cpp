#include "Platform/Wayland/WaylandDisplayCapture.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Platform/DisplayImageFit.h"
#include "Platform/PlatformError.h"
#include "Platform/Wayland/PipeWireScreenStreams.h"
#include "Platform/Wayland/PortalRequest.h"
#include "Platform/Wayland/ScreenCastSession.h"
#include "TessaryCore/CompositeImageLayout.h"

#include <QDBusMessage>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace {

bool isInside(const QString& path, const QString& folder) {
    if (folder.isEmpty()) {
        return false;
    }
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return !canonical.isEmpty() && path.startsWith(canonical + QLatin1Char('/'));
}

// Every k-th pixel of every k-th row: the compositor rendered a lower-scale screen up by a whole
// factor, and sampling undoes that without blending neighbours.
QImage decimate(const QImage& image, int factor) {
    QImage out(image.width() / factor, image.height() / factor, image.format());
    for (int y = 0; y < out.height(); ++y) {
        const auto* src = reinterpret_cast<const quint32*>(image.constScanLine(y * factor));
        auto* dst = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            dst[x] = src[x * factor];
        }
    }
    return out;
}

QImage fitScreen(const QImage& crop, QSize requested) {
    for (int factor = 2; factor <= 4; ++factor) {
        if (crop.size() == requested * factor) {
            return decimate(crop, factor);
        }
    }
    return fitDisplayImage(crop, requested);
}

PlatformError refusal(const QString& key, const QStringList& arguments = {}) {
    return PlatformError(L10n::format(key, arguments), PlatformError::Kind::refused);
}

QString askForScreenshot() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(PortalRequest::service), QString::fromLatin1(PortalRequest::path),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call.setArguments({QString()});
    const PortalRequest::Answer answer =
        PortalRequest::run(call, {{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}},
                           WaylandDisplayCapture::responseTimeoutMs);
    switch (answer.outcome) {
    case PortalRequest::Outcome::answered:
        break;
    case PortalRequest::Outcome::cancelled:
    case PortalRequest::Outcome::denied:
        Log::error(QStringLiteral("截图门户：请求被拒绝或取消。"));
        throw refusal(QStringLiteral("capture.error.portalRefused"));
    case PortalRequest::Outcome::missing:
        Log::error(QStringLiteral("截图门户：不可用（") + answer.error + QStringLiteral("）。"));
        throw refusal(QStringLiteral("capture.error.portalMissing"));
    case PortalRequest::Outcome::timedOut:
        Log::error(QStringLiteral("截图门户：") +
                   QString::number(WaylandDisplayCapture::responseTimeoutMs / 1000) +
                   QStringLiteral(" 秒内没有回应。"));
        throw refusal(QStringLiteral("capture.error.portalTimeout"),
                      {QString::number(WaylandDisplayCapture::responseTimeoutMs / 1000)});
    case PortalRequest::Outcome::failed:
        throw PlatformError(QStringLiteral("截图门户调用失败：") + answer.error);
    }
    const QUrl uri(answer.results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile()) {
        throw PlatformError(QStringLiteral("截图门户返回的不是本地文件：") + uri.toString());
    }
    return uri.toLocalFile();
}

} // namespace

bool WaylandDisplayCapture::isDisposable(const QString& path, const QDateTime& requestedAt) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.ownerId() != ::getuid()) {
        return false;
    }
    // A file older than the request is not the one the portal just wrote.
    if (info.lastModified() < requestedAt.addSecs(-1)) {
        return false;
    }
    const QString canonical = info.canonicalFilePath();
    const QStringList keep = {
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
    };
    for (const QString& folder : keep) {
        if (isInside(canonical, folder)) {
            return false;
        }
    }
    const QStringList scratch = {
        QStandardPaths::writableLocation(QStandardPaths::TempLocation),
        QStringLiteral("/tmp"),
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
    };
    for (const QString& folder : scratch) {
        if (isInside(canonical, folder)) {
            return true;
        }
    }
    return false;
}

WaylandDisplayCapture::WaylandDisplayCapture(bool screenCast)
    : m_cast(screenCast ? std::make_unique<ScreenCastSession>() : nullptr),
      m_idle(std::make_unique<QTimer>()) {
    m_idle->setSingleShot(true);
    if (m_cast) {
        QObject::connect(m_idle.get(), &QTimer::timeout, m_cast.get(), &ScreenCastSession::pause);
    }
}

void WaylandDisplayCapture::keepStreamAwhile() {
    m_idle->start(streamIdleMs);
}

WaylandDisplayCapture::~WaylandDisplayCapture() = default;

void WaylandDisplayCapture::startStreamIfAllowed() {
    if (!m_cast) {
        return;
    }
    // From the event loop: the caller may be constructing the application still.
    QTimer::singleShot(0, m_cast.get(), [cast = m_cast.get()] {
        if (ScreenCastSession::hasRestoreToken()) {
            cast->start();
        }
    });
    keepStreamAwhile();
}

QList<CapturableDisplay> WaylandDisplayCapture::displays() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    qreal highest = 1;
    for (const QScreen* screen : screens) {
        highest = std::max(highest, screen->devicePixelRatio());
    }
    QList<CapturableDisplay> result;
    for (const QScreen* screen : screens) {
        const QRect g = screen->geometry();
        const qreal scale = screen->devicePixelRatio();
        result.append({screen->name(), QRect(qRound(g.x() * highest), qRound(g.y() * highest),
                                             qRound(g.width() * scale), qRound(g.height() * scale))});
    }
    return result;
}

QList<QImage> WaylandDisplayCapture::grab(const QList<DisplayGrabRequest>& requests) {
    if (std::optional<QList<QImage>> images = grabFromStream(requests)) {
        return *images;
    }
    return grabFromPortal(requests);
}

std::optional<QList<QImage>>
WaylandDisplayCapture::grabFromStream(const QList<DisplayGrabRequest>& requests) {
    if (!m_cast) {
        return std::nullopt;
    }
    QElapsedTimer timer;
    timer.start();
    m_cast->start();
    // A session that is being started (or asking the user) gets the portal's own allowance.
    if (!m_cast->waitUntilReady(responseTimeoutMs + 2'000)) {
        return std::nullopt;
    }
    QList<QImage> images;
    for (const DisplayGrabRequest& request : requests) {
        const qsizetype stream = m_cast->streamFor(request.display.name);
        const QImage frame = stream < 0 ? QImage() : m_cast->streams()->latestFrame(stream);
        if (frame.isNull()) {
            Log::info(QStringLiteral("屏幕录制：屏幕 ") + request.display.name +
                      QStringLiteral(" 没有录制流，这次改用截图门户。"));
            return std::nullopt;
        }
        images.append(fitScreen(frame, request.pixelSize));
    }
    keepStreamAwhile();
    Log::info(QStringLiteral("性能：屏幕录制流取帧 ") +
              QString::number(double(timer.nsecsElapsed()) / 1e6, 'f', 1) + QStringLiteral(" ms（") +
              QString::number(images.size()) + QStringLiteral(" 块屏幕）。"));
    return images;
}

QList<QImage> WaylandDisplayCapture::grabFromPortal(const QList<DisplayGrabRequest>& requests) {
    QElapsedTimer timer;
    timer.start();
    const QDateTime requestedAt = QDateTime::currentDateTime();
    const QString path = askForScreenshot();
    QImageReader reader(path);
    QImage whole = reader.read();
    if (isDisposable(path, requestedAt)) {
        QFile::remove(path);
    } else {
        Log::info(QStringLiteral("截图门户：保留它写下的文件 ") + path +
                  QStringLiteral("（不在临时目录）。"));
    }
    if (whole.isNull()) {
        throw PlatformError(QStringLiteral("截图门户的图片读不出来：") + path + QStringLiteral("（") +
                            reader.errorString() + QStringLiteral("）"));
    }
    whole = std::move(whole).convertToFormat(QImage::Format_RGB32);

    // The image covers every screen, not only the requested ones.
    const QList<QScreen*> screens = QGuiApplication::screens();
    std::vector<tessary::PixelRect> logical;
    for (const QScreen* screen : screens) {
        const QRect g = screen->geometry();
        logical.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    const auto layout = tessary::CompositeImageLayout::of(logical, whole.width(), whole.height());
    if (!layout) {
        throw PlatformError(QStringLiteral("截图门户的图片 ") + QString::number(whole.width()) +
                            QLatin1Char('x') + QString::number(whole.height()) +
                            QStringLiteral(" 与屏幕布局对不上。"));
    }
    QList<QImage> images;
    for (const DisplayGrabRequest& request : requests) {
        qsizetype index = 0;
        while (index < screens.size() && screens[index]->name() != request.display.name) {
            ++index;
        }
        if (index == screens.size()) {
            throw PlatformError(QStringLiteral("屏幕 ") + request.display.name +
                                QStringLiteral(" 已经不在了。"));
        }
        const tessary::PixelRect& r = layout->displays[size_t(index)];
        images.append(fitScreen(whole.copy(r.x, r.y, r.width, r.height), request.pixelSize));
    }
    Log::info(QStringLiteral("性能：截图门户 ") +
              QString::number(double(timer.nsecsElapsed()) / 1e6, 'f', 0) + QStringLiteral(" ms（") +
              QString::number(whole.width()) + QLatin1Char('x') + QString::number(whole.height()) +
              QStringLiteral("）。"));
    return images;
}

QImage WaylandDisplayCapture::grabRegion(const QRect& nativePixels) {
    const QList<CapturableDisplay> all = displays();
    const auto display = std::find_if(all.cbegin(), all.cend(), [&](const CapturableDisplay& d) {
        return d.nativeGeometry.contains(nativePixels.center());
    });
    if (m_cast && display != all.cend()) {
        m_cast->start();
        if (m_cast->waitUntilReady(responseTimeoutMs + 2'000)) {
            const qsizetype stream = m_cast->streamFor(display->name);
            const QImage region =
                stream < 0 ? QImage()
                           : m_cast->streams()->latestRegion(
                                 stream, nativePixels.translated(-display->nativeGeometry.topLeft()));
            if (!region.isNull()) {
                keepStreamAwhile();
                return region;
            }
        }
    }
    throw PlatformError(L10n::text(QStringLiteral("scroll.error.unavailableOnWayland")),
                        PlatformError::Kind::refused);
}
