#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// A display the backend can capture. `name` is its identity and matches QScreen::name();
// `nativeGeometry` is where its pixels lie in the backend's capture space (X11: the root window).
struct CapturableDisplay {
    QString name;
    QRect nativeGeometry;

    friend bool operator==(const CapturableDisplay&, const CapturableDisplay&) = default;
};

// One display to grab and the pixel size the caller wants for it. A size that differs from the
// display's native size is met by scaling (the warm-up thumbnail) or cropping at the bottom/right.
struct DisplayGrabRequest {
    CapturableDisplay display;
    QSize pixelSize;
};

// Frozen still images of whole displays, never with the pointer in them. Both operations throw
// PlatformError on failure; a grab of several displays either returns every image or throws.
class DisplayCapture {
public:
    virtual ~DisplayCapture() = default;

    // The displays attached now, in the backend's order. This is the slow call the capture
    // service caches.
    virtual QList<CapturableDisplay> displays() = 0;

    // One image per request, in request order, all taken from the same instant.
    virtual QList<QImage> grab(const QList<DisplayGrabRequest>& requests) = 0;

    // The pixels of one rectangle of the capture space at full resolution, read now, as RGB32. Unlike
    // grab() nothing is frozen or cached: a scrolling capture calls this once per frame. Our own windows
    // are not left out, so callers keep them off the rectangle. Throws PlatformError.
    virtual QImage grabRegion(const QRect& nativePixels) = 0;

    // Whether a grab may run without the user asking for a capture (a warm-up at start-up). False
    // where a grab goes through the desktop, which may prompt or leave a file behind.
    virtual bool grabsSilently() const { return true; }
};
