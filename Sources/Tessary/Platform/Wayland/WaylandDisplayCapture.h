#pragma once

#include "Platform/DisplayCapture.h"

#include <memory>
#include <optional>

class QDateTime;
class QTimer;
class ScreenCastSession;

// Displays are Qt's screens. A grab takes the newest frame of each screen from a running
// screen-cast session (ScreenCast portal, PipeWire); where none can run it asks the desktop's
// Screenshot portal for one non-interactive image of the whole desktop and cuts it per screen by
// the screens' logical geometry and scale. The capture space puts each screen's pixels at its
// logical origin times the highest screen scale, so no two screens overlap in it.
class WaylandDisplayCapture : public DisplayCapture {
public:
    // How long the portal may take to answer, including a first-time access prompt.
    static constexpr int responseTimeoutMs = 20'000;
    // How long a screen-cast session outlives the last grab. Desktops show that the screen is being
    // shared while one runs, so it must not run for the whole life of a tray program.
    static constexpr int streamIdleMs = 5 * 60'000;

    // `screenCast` false leaves the Screenshot portal as the only way (TESSARY_WAYLAND_SCREENCAST=0).
    explicit WaylandDisplayCapture(bool screenCast = true);
    ~WaylandDisplayCapture() override;

    QList<CapturableDisplay> displays() override;
    QList<QImage> grab(const QList<DisplayGrabRequest>& requests) override;
    bool grabsSilently() const override { return false; }
    // From the screen-cast stream; without one a scrolling capture is refused with that reason.
    QImage grabRegion(const QRect& nativePixels) override;

    // Starts the screen-cast session ahead of the first capture where the user already allowed
    // one, so no prompt can appear unasked.
    void startStreamIfAllowed();

    // Whether the portal's file may be deleted once read: only a regular file of ours, written for
    // this request, in a temporary or cache folder and never in the Pictures folder (some desktops
    // save every screenshot there and the user expects to keep it).
    static bool isDisposable(const QString& path, const QDateTime& requestedAt);

private:
    std::optional<QList<QImage>> grabFromStream(const QList<DisplayGrabRequest>& requests);
    QList<QImage> grabFromPortal(const QList<DisplayGrabRequest>& requests);

    // The session was used just now: it stays for another streamIdleMs.
    void keepStreamAwhile();

    std::unique_ptr<ScreenCastSession> m_cast;
    std::unique_ptr<QTimer> m_idle;
};
