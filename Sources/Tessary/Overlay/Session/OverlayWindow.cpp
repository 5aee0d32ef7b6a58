#include "Overlay/Session/OverlayWindow.h"

#include "Overlay/Session/ClickTrace.h"
#include "Overlay/Session/OverlayBackdropView.h"
#include "Overlay/Session/OverlayGuideView.h"
#include "Overlay/Canvas/SelectionCanvasView.h"

#include <QGuiApplication>
#include <QWindow>

OverlayWindow::OverlayWindow(const CapturedDisplay& captured, std::vector<tessary::OnScreenWindow> windows,
                             OverlayPerfOptions perf)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_QuitOnClose, false);
    setMouseTracking(true);
    setWindowTitle(QStringLiteral("Tessary"));
    if (captured.screen) {
        setScreen(captured.screen);
        screen_ = captured.screen;
    }
    setGeometry(captured.geometry);

    backdrop_ = new OverlayBackdropView(captured, this);
    guide_ = new OverlayGuideView(this);
    canvas_ = new SelectionCanvasView(captured, std::move(windows), this);
    canvas_->setPerf(perf);
    canvas_->setGuide(guide_);
    // With the legacy path the canvas paints the frozen image itself.
    if (perf.legacyFullRedraw) {
        backdrop_->hide();
    } else {
        canvas_->setBackdrop(backdrop_);
    }
    for (QWidget* layer :
         {static_cast<QWidget*>(backdrop_), static_cast<QWidget*>(guide_), static_cast<QWidget*>(canvas_)}) {
        layer->setGeometry(rect());
    }
    setFocusProxy(canvas_);

    create();
    windowHandle()->installEventFilter(this);
}

OverlayWindow::~OverlayWindow() = default;

void OverlayWindow::resizeEvent(QResizeEvent*) {
    for (QWidget* layer :
         {static_cast<QWidget*>(backdrop_), static_cast<QWidget*>(guide_), static_cast<QWidget*>(canvas_)}) {
        layer->setGeometry(rect());
    }
}

bool OverlayWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle()) {
        ClickTrace::window(this, event);
        if (router_ && router_(this, event)) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void OverlayWindow::present() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        show();
        return;
    }
    if (QWindow* window = windowHandle(); window && screen_) {
        window->setScreen(screen_);
    }
    showFullScreen();
}

bool OverlayWindow::grabInput() {
    QWindow* window = windowHandle();
    if (!window) {
        return false;
    }
    const bool keyboard = window->setKeyboardGrabEnabled(true);
    const bool mouse = window->setMouseGrabEnabled(true);
    grabbed_ = grabbed_ || keyboard || mouse;
    return keyboard && mouse;
}

void OverlayWindow::releaseInput() {
    if (!grabbed_) {
        return;
    }
    grabbed_ = false;
    if (QWindow* window = windowHandle()) {
        window->setKeyboardGrabEnabled(false);
        window->setMouseGrabEnabled(false);
    }
}
