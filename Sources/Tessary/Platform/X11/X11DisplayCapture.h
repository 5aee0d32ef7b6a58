#pragma once

#include "Platform/DisplayCapture.h"

#include <memory>

class X11Connection;

// Displays are the RandR monitors (what Qt reports as screens). A grab reads the root window once,
// through a shared-memory segment when the server offers MIT-SHM, and cuts it per display.
class X11DisplayCapture : public DisplayCapture {
public:
    explicit X11DisplayCapture(std::shared_ptr<X11Connection> connection);
    ~X11DisplayCapture() override;

    QList<CapturableDisplay> displays() override;
    QList<QImage> grab(const QList<DisplayGrabRequest>& requests) override;
    QImage grabRegion(const QRect& nativePixels) override;

private:
    struct Segment;

    // Reads `area` of the root into 32-bit pixels; `stride` is the row length in bytes.
    const uchar* readRoot(const QRect& area, qsizetype& stride,
                          std::unique_ptr<uchar, decltype(&std::free)>& owner);
    // Checks that `area` can be read from the root; throws otherwise.
    void checkArea(const QRect& area) const;
    bool ensureSegment(size_t bytes);
    void checkPixelFormat();

    std::shared_ptr<X11Connection> m_x;
    std::unique_ptr<Segment> m_segment;
    bool m_shmAvailable = false;
    QString m_formatProblem;
};
