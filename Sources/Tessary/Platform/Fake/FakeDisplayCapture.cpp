#include "Platform/Fake/FakeDisplayCapture.h"

#include "Platform/DisplayImageFit.h"
#include "Platform/PlatformError.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

namespace {

int screenIndex(const QString& name) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        if (screens[i]->name() == name) {
            return i;
        }
    }
    return -1;
}

// Like Qt's own high-DPI mapping: a screen keeps its top-left, its size grows by the pixel ratio.
QRect nativeGeometryOf(const QScreen* screen) {
    const QRect g = screen->geometry();
    const qreal dpr = screen->devicePixelRatio();
    return {g.topLeft(), QSize(qRound(g.width() * dpr), qRound(g.height() * dpr))};
}

} // namespace

FakeDisplayCapture::FakeDisplayCapture() {
    const QString fixtures = qEnvironmentVariable("TESSARY_FAKE_SCREENS");
    if (!fixtures.isEmpty()) {
        m_fixturePaths = fixtures.split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
}

QList<CapturableDisplay> FakeDisplayCapture::displays() {
    ++m_displayListCount;
    if (m_failDisplayLists > 0) {
        --m_failDisplayLists;
        throw PlatformError(QStringLiteral("模拟平台：读取屏幕列表失败。"));
    }
    QList<CapturableDisplay> result;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (!m_hidden.contains(screen->name())) {
            result.append({screen->name(), nativeGeometryOf(screen)});
        }
    }
    result.append(m_phantoms);
    return result;
}

QList<QImage> FakeDisplayCapture::grab(const QList<DisplayGrabRequest>& requests) {
    ++m_grabCount;
    m_lastRequests = requests;
    if (m_failGrabs > 0) {
        --m_failGrabs;
        throw PlatformError(QStringLiteral("模拟平台：抓屏失败。"));
    }
    QList<QImage> images;
    for (const DisplayGrabRequest& request : requests) {
        const QString& name = request.display.name;
        if (m_unplugged.contains(name) || screenIndex(name) < 0) {
            throw PlatformError(QStringLiteral("模拟平台：屏幕 ") + name + QStringLiteral(" 已不存在。"));
        }
        images.append(fitDisplayImage(nativeImage(name), request.pixelSize));
    }
    return images;
}

QImage FakeDisplayCapture::grabRegion(const QRect& nativePixels) {
    ++m_regionGrabCount;
    if (m_failGrabs > 0) {
        --m_failGrabs;
        throw PlatformError(QStringLiteral("模拟平台：抓屏失败。"));
    }
    if (m_regionSource) {
        return m_regionSource(nativePixels);
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect native = nativeGeometryOf(screen);
        if (native.contains(nativePixels)) {
            return nativeImage(screen->name())
                .copy(nativePixels.translated(-native.topLeft()))
                .convertToFormat(QImage::Format_RGB32);
        }
    }
    throw PlatformError(QStringLiteral("模拟平台：区域不在任何屏幕里。"));
}

QRgb FakeDisplayCapture::patternPixel(int screenIndex, int x, int y) {
    const int high = ((x >> 8) & 0x7) << 5 | ((y >> 8) & 0x7) << 2 | (screenIndex & 0x3);
    return qRgb(x & 0xff, y & 0xff, high);
}

QImage FakeDisplayCapture::patternImage(QSize pixels, int screenIndex) {
    QImage pattern(pixels, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(pattern.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            row[x] = patternPixel(screenIndex, x, y);
        }
    }
    return pattern;
}

QImage FakeDisplayCapture::nativeImage(const QString& screenName) {
    if (const auto it = m_images.constFind(screenName); it != m_images.constEnd()) {
        return *it;
    }
    const int index = screenIndex(screenName);
    const QScreen* screen = QGuiApplication::screens().value(index);
    if (!screen) {
        return {};
    }
    if (index < m_fixturePaths.size()) {
        QImageReader reader(m_fixturePaths[index]);
        QImage fixture = reader.read();
        if (!fixture.isNull()) {
            fixture = fixture.convertToFormat(QImage::Format_RGB32);
            m_images.insert(screenName, fixture);
            return fixture;
        }
        throw PlatformError(QStringLiteral("模拟平台：读不了屏幕图片 ") + m_fixturePaths[index] +
                            QStringLiteral("：") + reader.errorString());
    }
    const QSize size = nativeGeometryOf(screen).size();
    if (const auto it = m_generated.constFind(screenName);
        it != m_generated.constEnd() && it->size() == size) {
        return *it;
    }
    const QImage pattern = patternImage(size, index);
    m_generated.insert(screenName, pattern);
    return pattern;
}

void FakeDisplayCapture::setImage(const QString& screenName, const QImage& image) {
    m_images.insert(screenName, image);
}

void FakeDisplayCapture::setHidden(const QString& screenName, bool hidden) {
    if (hidden) {
        m_hidden.insert(screenName);
    } else {
        m_hidden.remove(screenName);
    }
}

void FakeDisplayCapture::addPhantomDisplay(const CapturableDisplay& display) {
    m_phantoms.append(display);
}

void FakeDisplayCapture::setUnplugged(const QString& screenName, bool unplugged) {
    if (unplugged) {
        m_unplugged.insert(screenName);
    } else {
        m_unplugged.remove(screenName);
    }
}
