#pragma once

#include "Platform/DisplayCapture.h"

#include <QHash>
#include <QSet>

#include <functional>

// Displays are the screens Qt reports. Each screen shows a fixture image (set by a test, or named
// in order by TESSARY_FAKE_SCREENS, comma-separated paths) or else a pattern that encodes every
// pixel's position, so crops can be checked.
class FakeDisplayCapture : public DisplayCapture {
public:
    FakeDisplayCapture();

    QList<CapturableDisplay> displays() override;
    QList<QImage> grab(const QList<DisplayGrabRequest>& requests) override;
    // A crop of the screen image that contains the rectangle, or what the region source returns.
    QImage grabRegion(const QRect& nativePixels) override;

    // The pattern's colour at native pixel (x, y) of the screen at `screenIndex`.
    static QRgb patternPixel(int screenIndex, int x, int y);
    // A whole image of that pattern, `pixels` in size.
    static QImage patternImage(QSize pixels, int screenIndex = 0);

    // Scripting.
    void setImage(const QString& screenName, const QImage& image);
    // Leaves a screen out of the display list (as if capture could not see it).
    void setHidden(const QString& screenName, bool hidden);
    // Adds a listed display that Qt has no screen for.
    void addPhantomDisplay(const CapturableDisplay& display);
    // Lists the screen but fails every grab of it (as if it was unplugged after listing).
    void setUnplugged(const QString& screenName, bool unplugged);
    void failNextDisplayLists(int count) { m_failDisplayLists = count; }
    void failNextGrabs(int count) { m_failGrabs = count; }
    // Replaces the screens as the source of region grabs (a scripted scrolling window).
    void setRegionSource(std::function<QImage(const QRect&)> source) { m_regionSource = std::move(source); }
    int regionGrabCount() const { return m_regionGrabCount; }

    int displayListCount() const { return m_displayListCount; }
    int grabCount() const { return m_grabCount; }
    const QList<DisplayGrabRequest>& lastRequests() const { return m_lastRequests; }

private:
    QImage nativeImage(const QString& screenName);

    QHash<QString, QImage> m_images;
    QHash<QString, QImage> m_generated;
    QStringList m_fixturePaths;
    QSet<QString> m_hidden;
    QSet<QString> m_unplugged;
    QList<CapturableDisplay> m_phantoms;
    int m_failDisplayLists = 0;
    int m_failGrabs = 0;
    int m_displayListCount = 0;
    int m_grabCount = 0;
    int m_regionGrabCount = 0;
    std::function<QImage(const QRect&)> m_regionSource;
    QList<DisplayGrabRequest> m_lastRequests;
};
