#pragma once

#include "Overlay/Session/CapturedDisplay.h"
#include "Overlay/Session/OverlayPerfOptions.h"
#include "TessaryCore/OnScreenWindow.h"

#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <functional>
#include <vector>

class OverlayBackdropView;
class OverlayGuideView;
class SelectionCanvasView;

// One borderless, always-on-top window covering one display exactly during a capture: the
// frozen backdrop, the guide layer and the selection canvas, bottom to top. It bypasses the
// window manager (no decoration, no taskbar entry) and every input event it receives passes
// through the click trace and the session's router before normal dispatch.
class OverlayWindow : public QWidget {
    Q_OBJECT
public:
    // Returns true when the event was taken elsewhere (another display's overlay).
    using Router = std::function<bool(OverlayWindow* receiver, QEvent* event)>;

    OverlayWindow(const CapturedDisplay& captured, std::vector<tessary::OnScreenWindow> windows,
                  OverlayPerfOptions perf);
    ~OverlayWindow() override;

    SelectionCanvasView* canvas() const { return canvas_; }
    OverlayBackdropView* backdrop() const { return backdrop_; }
    OverlayGuideView* guide() const { return guide_; }

    void setRouter(Router router) { router_ = std::move(router); }

    // Maps the window on its display: placed by geometry where the window system honours it (X11),
    // otherwise put on its screen and made full screen there (Wayland places clients itself).
    void present();

    // Keyboard and pointer grabs, so Escape and Return always reach the session. Returns whether
    // the window system granted both (always false on platforms without grabs).
    bool grabInput();
    void releaseInput();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    OverlayBackdropView* backdrop_ = nullptr;
    OverlayGuideView* guide_ = nullptr;
    SelectionCanvasView* canvas_ = nullptr;
    Router router_;
    QPointer<QScreen> screen_;
    bool grabbed_ = false;
};
