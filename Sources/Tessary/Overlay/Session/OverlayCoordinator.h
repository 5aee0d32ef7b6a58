#pragma once

#include "Overlay/Canvas/SelectionCanvasDelegate.h"
#include "Overlay/Session/CaptureServices.h"
#include "Overlay/Session/CapturedDisplay.h"
#include "Overlay/Session/OverlayPerfOptions.h"
#include "Overlay/Session/RightClickMonitor.h"
#include "Platform/FrontmostWindow.h"
#include "TessaryCore/LaunchOptions.h"
#include "TessaryCore/OnScreenWindow.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class OverlayWindow;
class QTimer;
class ScrollingCapture;

class SelectionCanvasView;
class TranslationSession;

// Runs one capture session at a time: freezes every display, covers each with an overlay, keeps
// a single selection across them and carries out the finishing action the canvas reports.
// Main thread only; one per process, reused by every session.
class OverlayCoordinator : public QObject, public SelectionCanvasDelegate {
    Q_OBJECT
public:
    OverlayCoordinator(tessary::LaunchOptions options, CaptureServices services, QObject* parent = nullptr);
    ~OverlayCoordinator() override;

    // The capture request (menu, hot key, "--capture-now"); ignored while a session is active.
    void begin();
    // Ends the session; safe to call at any time.
    void finish() override;

    bool isActive() const { return isActive_; }
    const QList<OverlayWindow*>& windows() const { return windows_; }
    const QList<SelectionCanvasView*>& canvases() const { return canvases_; }
    SelectionCanvasView* keyCanvas() const;
    const tessary::LaunchOptions& options() const { return options_; }
    OverlayPerfOptions perfOptions() const;

    // The capture hot key as the menu shows it; the scrolling capture panel repeats it.
    void setHotKeyDisplay(std::optional<QString> text) { hotKeyDisplay_ = std::move(text); }
    const std::optional<QString>& hotKeyDisplay() const { return hotKeyDisplay_; }

    // SelectionCanvasDelegate
    void selectionCanvasDidBeginSelection(SelectionCanvasView* canvas) override;
    void selectionCanvasDidInvoke(SelectionCanvasView* canvas, ToolKind tool,
                                  const CaptureOutput& output) override;
    void confirm(const CaptureOutput& output) override;

    // Finishing actions, with what the canvas held when the user picked them.
    void save(const CaptureOutput& output);
    void pin(const CaptureOutput& output);
    void recognizeText(const CaptureOutput& output);
    void copyQRCodes(const CaptureOutput& output);
    // In place, with the overlays kept open; pressed again over a shown translation, the source.
    void translate(SelectionCanvasView* canvas, const CaptureOutput& output);
    TranslationSession& translation() const { return *translation_; }

    // Scrolling capture: started from the toolbar or "--dev-auto-action=scroll"; the capture hot key
    // finishes a running one.
    void beginScrollingCapture(SelectionCanvasView* canvas);
    bool isScrollingCaptureRunning() const;
    void finishScrollingCaptureFromHotKey();
    ScrollingCapture* scrollingCapture() const { return scrolling_.get(); }

    // Drives the first overlay with a scripted pointer sweep and reports the redraw times.
    void startPerfProbe(long long frames);

    // The selection in global points (y up).
    static std::optional<tessary::Rect> globalSelection(const SelectionCanvasView* canvas);

Q_SIGNALS:
    void overlaysPresented();
    void sessionEnded();

private:
    void presentOverlays(const QList<CapturedDisplay>& displays,
                         const std::vector<tessary::OnScreenWindow>& windows);
    void activateKeyWindow();
    void retryInputGrab(int attemptsLeft);
    void runScriptedSteps();
    void runAutoAction(SelectionCanvasView* canvas, tessary::AutoAction action);
    bool route(OverlayWindow* receiver, QEvent* event);
    OverlayWindow* overlayAt(QPointF globalPosition) const;
    OverlayWindow* windowOf(const SelectionCanvasView* canvas) const;

    tessary::LaunchOptions options_;
    CaptureServices services_;
    QList<OverlayWindow*> windows_;
    QList<SelectionCanvasView*> canvases_;
    QPointer<RightClickMonitor> rightClickMonitor_;
    bool isActive_ = false;
    FrontmostWindow::Handle previousApp_ = 0;
    std::optional<QString> hotKeyDisplay_;

    int keyIndex_ = 0;
    QPointer<OverlayWindow> pressOwner_;
    QPointer<OverlayWindow> hoverOwner_;
    // The widget that took the press of a gesture forwarded to another display's overlay.
    QPointer<QWidget> pressWidget_;
    QElapsedTimer startedAt_;
    QTimer* probeTimer_ = nullptr;
    // Hands freed capture memory back to the system once no capture has run for a while.
    QTimer* memoryReleaseTimer_ = nullptr;
    std::unique_ptr<ScrollingCapture> scrolling_;
    TranslationSession* translation_ = nullptr;
    // Bumped by every session so that deferred steps of an earlier one do nothing.
    quint64 session_ = 0;
};
