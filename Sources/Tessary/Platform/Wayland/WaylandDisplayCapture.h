#pragma once

#include "Platform/DisplayCapture.h"

class QDateTime;

// Displays are Qt's screens. A grab asks the desktop's Screenshot portal for one non-interactive
// image of the whole desktop and cuts it per screen by the screens' logical geometry and scale.
class WaylandDisplayCapture : public DisplayCapture {
public:
    // How long the portal may take to answer, including a first-time access prompt.
    static constexpr int responseTimeoutMs = 20'000;

    QList<CapturableDisplay> displays() override;
    QList<QImage> grab(const QList<DisplayGrabRequest>& requests) override;
    bool grabsSilently() const override { return false; }
    // A client cannot read the screen region by region on Wayland without a screen-cast stream,
    // which is not offered yet: a scrolling capture is refused with that reason.
    QImage grabRegion(const QRect& nativePixels) override;

    // Whether the portal's file may be deleted once read: only a regular file of ours, written for
    // this request, in a temporary or cache folder and never in the Pictures folder (some desktops
    // save every screenshot there and the user expects to keep it).
    static bool isDisposable(const QString& path, const QDateTime& requestedAt);
};
