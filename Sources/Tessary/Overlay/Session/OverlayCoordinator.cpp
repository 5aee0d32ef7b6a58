#include "Overlay/Session/OverlayCoordinator.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Output/Clipboard.h"
#include "Output/ImageSaver.h"
#include "Output/PinnedImageWindow.h"
#include "Overlay/Canvas/SelectionCanvasView.h"
#include "Overlay/QR/QrCopyAction.h"
#include "Overlay/Session/NoticePanel.h"
#include "Overlay/Session/OnScreenWindowList.h"
#include "Overlay/Session/OverlayWindow.h"
#include "Overlay/Session/PerfProbe.h"
#include "Overlay/Session/RightClickMonitor.h"
#include "Overlay/Session/ScreenCaptureError.h"
#include "Overlay/Session/ScreenCapturer.h"
#include "Overlay/Session/ScreenRecordingPermission.h"
#include "Overlay/Session/TranslationSession.h"
#include "Platform/CapturePermission.h"
#include "Platform/FrontmostWindow.h"
#include "Recognition/DocumentLayoutRecognizer.h"
#include "Recognition/OcrAction.h"
#include "Recognition/TextRecognizer.h"
#include "Scrolling/ScrollingCapture.h"
#include "TessaryCore/PerfStatistics.h"
#include "TessaryCore/SelectionGeometry.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <malloc.h>

namespace {

// A capture leaves display-sized blocks free inside the allocator, kept for the next capture
// (reused pages are already faulted in). After this long without one they go back to the system,
// so the resident size in the tray returns to where it started.
constexpr int kMemoryReleaseDelayMs = 30'000;

QString okText(bool ok) {
    return ok ? QStringLiteral("成功") : QStringLiteral("失败");
}

QString sizeText(const QImage& image) {
    return QString::number(image.width()) + 'x' + QString::number(image.height());
}

} // namespace

OverlayCoordinator::OverlayCoordinator(tessary::LaunchOptions options, CaptureServices services,
                                       QObject* parent)
    : QObject(parent), options_(std::move(options)), services_(services) {
    // The permission guidance is logged by its sender; the panel only shows it.
    ScreenRecordingPermission::setNoticePresenter(
        [](const QString& text) { NoticePanel::show(text, std::nullopt, {}, false); });
    memoryReleaseTimer_ = new QTimer(this);
    memoryReleaseTimer_->setSingleShot(true);
    memoryReleaseTimer_->setInterval(kMemoryReleaseDelayMs);
    connect(memoryReleaseTimer_, &QTimer::timeout, this, [] { malloc_trim(0); });
    std::optional<QString> devSavePath;
    if (options_.devSavePath) {
        devSavePath = QString::fromStdString(*options_.devSavePath);
    }
    translation_ = new TranslationSession(services_.recognizer, devSavePath, this);
}

OverlayCoordinator::~OverlayCoordinator() {
    delete rightClickMonitor_.data();
    for (OverlayWindow* window : std::as_const(windows_)) {
        window->releaseInput();
        delete window;
    }
}

OverlayPerfOptions OverlayCoordinator::perfOptions() const {
    return {options_.devLegacyFullRedraw, options_.devPerfProbeFrames};
}

SelectionCanvasView* OverlayCoordinator::keyCanvas() const {
    if (keyIndex_ < 0 || keyIndex_ >= canvases_.size()) {
        return nullptr;
    }
    return canvases_[keyIndex_];
}

OverlayWindow* OverlayCoordinator::windowOf(const SelectionCanvasView* canvas) const {
    const qsizetype index = canvases_.indexOf(const_cast<SelectionCanvasView*>(canvas));
    return index >= 0 ? windows_[index] : nullptr;
}

std::optional<tessary::Rect> OverlayCoordinator::globalSelection(const SelectionCanvasView* canvas) {
    if (!canvas || !canvas->selection()) {
        return std::nullopt;
    }
    const tessary::Rect& frame = canvas->captured().frame;
    return canvas->selection()->standardized().offsetBy(frame.x, frame.y);
}

// MARK: - Session start and end

void OverlayCoordinator::begin() {
    if (isActive_) {
        return;
    }
    memoryReleaseTimer_->stop();
    startedAt_.start();
    CapturePermission& permission = services_.permission;
    if (const std::optional<QString> reason = permission.unavailableReason()) {
        ScreenRecordingPermission::presentUnavailable(*reason);
        return;
    }
    if (!permission.preflight() && !permission.request()) {
        ScreenRecordingPermission::presentGuidance();
        return;
    }
    isActive_ = true;
    ++session_;
    previousApp_ = services_.frontmostWindow.current();
    const std::vector<tessary::OnScreenWindow> snapshot = OnScreenWindowList::snapshot(services_.windowList);

    QList<CapturedDisplay> displays;
    try {
        displays = services_.capturer.captureAllDisplays();
    } catch (const ScreenCaptureError& error) {
        if (error.kind() == ScreenCaptureError::Kind::refused) {
            ScreenRecordingPermission::presentUnavailable(error.localizedDescription());
        } else {
            Log::error(QStringLiteral("抓屏失败：") + error.localizedDescription());
        }
        finish();
        return;
    } catch (const std::exception& error) {
        Log::error(QStringLiteral("抓屏失败：") + QString::fromUtf8(error.what()));
        finish();
        return;
    }
    presentOverlays(displays, snapshot);
    if (isActive_) {
        Log::info(QString::asprintf("性能：截图请求到覆盖层显示 %.0f ms。",
                                    double(startedAt_.nsecsElapsed()) / 1e6));
        // The layout recogniser loads with the first capture, not at launch: a process that never
        // translates keeps the engine out of memory. After the overlays are up, so they are not kept waiting.
        QPointer<OverlayCoordinator> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self) {
                DocumentLayoutRecognizer::prewarmOnce(self->services_.recognizer.worker());
            }
        });
    }
}

void OverlayCoordinator::presentOverlays(const QList<CapturedDisplay>& displays,
                                         const std::vector<tessary::OnScreenWindow>& snapshot) {
    if (!isActive_) {
        return;
    }
    if (!rightClickMonitor_) {
        QPointer<OverlayCoordinator> self(this);
        rightClickMonitor_ = new RightClickMonitor([self] {
            if (!self || !self->isActive_) {
                return false;
            }
            Log::info(QStringLiteral("截图：鼠标右键取消。"));
            self->finish();
            return true;
        });
    }
    const OverlayPerfOptions perf = perfOptions();
    for (const CapturedDisplay& display : displays) {
        auto* window = new OverlayWindow(display, snapshot, perf);
        window->canvas()->setDelegate(this);
        window->setRouter([this](OverlayWindow* receiver, QEvent* event) { return route(receiver, event); });
        windows_.append(window);
        canvases_.append(window->canvas());
    }
    // Everything is built before the first window maps, so all displays freeze in the same frame.
    for (OverlayWindow* window : std::as_const(windows_)) {
        window->present();
    }
    // Keys go to the display the pointer is on.
    keyIndex_ = std::max(0, int(windows_.indexOf(overlayAt(QCursor::pos()))));
    activateKeyWindow();
    retryInputGrab(25);

    for (SelectionCanvasView* canvas : std::as_const(canvases_)) {
        if (canvas->selection()) {
            continue;
        }
        canvas->showPreSelectionLoupe(
            CoordinateSpace::fromWidget(canvas->mapFromGlobal(QCursor::pos()), canvas->height()));
    }
    Q_EMIT overlaysPresented();
    runScriptedSteps();
}

void OverlayCoordinator::activateKeyWindow() {
    SelectionCanvasView* canvas = keyCanvas();
    OverlayWindow* window = windowOf(canvas);
    if (!window) {
        return;
    }
    window->raise();
    window->activateWindow();
    canvas->setFocus(Qt::OtherFocusReason);
}

void OverlayCoordinator::retryInputGrab(int attemptsLeft) {
    // Override-redirect windows become viewable a moment after mapping; grabs fail until then.
    // Only X11 has grabs; other platforms deliver input to the front window anyway.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || windows_.isEmpty() ||
        windows_.first()->grabInput() || attemptsLeft <= 0) {
        return;
    }
    const quint64 session = session_;
    QPointer<OverlayCoordinator> self(this);
    QTimer::singleShot(20, this, [self, session, attemptsLeft] {
        if (self && self->session_ == session && self->isActive_) {
            self->retryInputGrab(attemptsLeft - 1);
        }
    });
}

void OverlayCoordinator::runScriptedSteps() {
    if (canvases_.isEmpty()) {
        return;
    }
    if (options_.devPerfProbeFrames >= 1) {
        startPerfProbe(options_.devPerfProbeFrames);
        return;
    }
    if (!options_.demoSelection) {
        return;
    }
    SelectionCanvasView* canvas = canvases_.first();
    canvas->applyDemoSelection(options_.devSelectionRect);
    if (options_.demoAnnotations) {
        canvas->applyDemoAnnotations();
    }
    if (!options_.autoAction) {
        return;
    }
    const tessary::AutoAction action = *options_.autoAction;
    const quint64 session = session_;
    QPointer<OverlayCoordinator> self(this);
    QPointer<SelectionCanvasView> target(canvas);
    // Precise: a coarse timer may fire up to 5 % early.
    QTimer::singleShot(3000, Qt::PreciseTimer, this, [self, target, session, action] {
        if (self && target && self->session_ == session && self->isActive_) {
            self->runAutoAction(target, action);
        }
    });
}

void OverlayCoordinator::runAutoAction(SelectionCanvasView* canvas, tessary::AutoAction action) {
    switch (action) {
    case tessary::AutoAction::confirm:
        confirm(canvas->captureOutput(ToolKind::confirm));
        break;
    case tessary::AutoAction::save:
        save(canvas->captureOutput(ToolKind::save));
        break;
    case tessary::AutoAction::pin:
        pin(canvas->captureOutput(ToolKind::pin));
        break;
    case tessary::AutoAction::ocr:
        recognizeText(canvas->captureOutput(ToolKind::ocr));
        break;
    case tessary::AutoAction::scroll:
        beginScrollingCapture(canvas);
        break;
    case tessary::AutoAction::translate:
        translate(canvas, canvas->captureOutput(ToolKind::translate));
        break;
    }
}

void OverlayCoordinator::finish() {
    // The monitor may be the caller (a right click): it goes away on the next turn.
    if (rightClickMonitor_) {
        rightClickMonitor_->dispose();
        rightClickMonitor_ = nullptr;
    }
    if (probeTimer_) {
        probeTimer_->stop();
    }
    translation_->cancel();
    isActive_ = false;
    ++session_;
    services_.frontmostWindow.activate(previousApp_);
    previousApp_ = 0;

    const QList<OverlayWindow*> taken = windows_;
    windows_.clear();
    canvases_.clear();
    keyIndex_ = 0;
    pressOwner_ = nullptr;
    hoverOwner_ = nullptr;
    QList<QPointer<OverlayWindow>> closing;
    for (OverlayWindow* window : taken) {
        window->releaseInput();
        closing.append(window);
    }
    // The caller may be one of these windows' own event handlers: tear down on the next turn.
    QTimer::singleShot(0, this, [closing] {
        for (const QPointer<OverlayWindow>& window : closing) {
            if (window) {
                window->hide();
                window->deleteLater();
            }
        }
    });
    if (!taken.isEmpty()) {
        memoryReleaseTimer_->start();
        Q_EMIT sessionEnded();
    }
}

// MARK: - Input routing across displays

OverlayWindow* OverlayCoordinator::overlayAt(QPointF global) const {
    for (OverlayWindow* window : windows_) {
        if (QRectF(window->geometry()).contains(global)) {
            return window;
        }
    }
    return nullptr;
}

bool OverlayCoordinator::route(OverlayWindow* receiver, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A pointer grab reports every display's events to one window: hand them to the overlay
        // under the pointer, or to the one that took the press while a button is down.
        OverlayWindow* target = pressOwner_ && mouse->type() != QEvent::MouseButtonPress
                                    ? pressOwner_.data()
                                    : overlayAt(mouse->globalPosition());
        if (!target) {
            target = receiver;
        }
        if (mouse->type() == QEvent::MouseButtonPress) {
            pressOwner_ = target;
        } else if (mouse->type() == QEvent::MouseButtonRelease && mouse->buttons() == Qt::NoButton) {
            pressOwner_ = nullptr;
        }
        if (hoverOwner_ && hoverOwner_ != target) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(hoverOwner_->canvas(), &leave);
        }
        hoverOwner_ = target;
        if (target == receiver) {
            return false;
        }
        // The canvas's own children (toolbar, style bar, text editor) take the presses that land on them
        // and the rest of that gesture, as Qt's own dispatch would do.
        SelectionCanvasView* canvas = target->canvas();
        QWidget* widget = canvas;
        if (mouse->type() == QEvent::MouseButtonPress) {
            QWidget* hit = canvas->childAt(canvas->mapFromGlobal(mouse->globalPosition()).toPoint());
            pressWidget_ = hit ? hit : canvas;
            widget = pressWidget_;
        } else if (pressWidget_ && pressWidget_->window() == target &&
                   (mouse->type() != QEvent::MouseMove || mouse->buttons() != Qt::NoButton)) {
            widget = pressWidget_;
        }
        if (mouse->type() == QEvent::MouseButtonRelease && mouse->buttons() == Qt::NoButton) {
            pressWidget_ = nullptr;
        }
        QMouseEvent forwarded(mouse->type(), widget->mapFromGlobal(mouse->globalPosition()),
                              mouse->globalPosition(), mouse->button(), mouse->buttons(), mouse->modifiers());
        QCoreApplication::sendEvent(widget, &forwarded);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        SelectionCanvasView* canvas = keyCanvas();
        if (!canvas || windowOf(canvas) == receiver) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        QKeyEvent forwarded(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                            ushort(key->count()));
        // Keys go where that overlay's focus is: the canvas, or the text editor open on it.
        QWidget* focus = windowOf(canvas)->focusWidget();
        QCoreApplication::sendEvent(focus ? focus : canvas, &forwarded);
        return true;
    }
    default:
        return false;
    }
}

// MARK: - Canvas delegate

void OverlayCoordinator::selectionCanvasDidBeginSelection(SelectionCanvasView* canvas) {
    // A translation belongs to the pixels it was made for: a new selection drops it.
    translation_->cancel();
    canvas->clearTranslation();
    for (SelectionCanvasView* other : std::as_const(canvases_)) {
        if (other != canvas) {
            other->clearSelection();
        }
    }
    const qsizetype index = canvases_.indexOf(canvas);
    if (index >= 0) {
        keyIndex_ = int(index);
        activateKeyWindow();
    }
}

void OverlayCoordinator::selectionCanvasDidInvoke(SelectionCanvasView* canvas, ToolKind tool,
                                                  const CaptureOutput& output) {
    switch (tool) {
    case ToolKind::ocr:
        recognizeText(output);
        break;
    case ToolKind::qrCode:
        copyQRCodes(output);
        break;
    case ToolKind::save:
        save(output);
        break;
    case ToolKind::pin:
        pin(output);
        break;
    case ToolKind::cancel:
        finish();
        break;
    case ToolKind::confirm:
        confirm(output);
        break;
    case ToolKind::scrollingCapture:
        beginScrollingCapture(canvas);
        break;
    case ToolKind::translate:
        translate(canvas, output);
        break;
    default:
        // Drawing tools, the colour picker and undo stay on the canvas.
        break;
    }
}

// MARK: - Finishing actions

void OverlayCoordinator::confirm(const CaptureOutput& output) {
    const QImage image = output.rendered;
    if (image.isNull()) {
        Log::info(QStringLiteral("完成：没有可用的选区，直接收尾。"));
        finish();
        return;
    }
    // Encoding a large PNG takes longer than a frame: it runs off the main thread, started before
    // the teardown so the two overlap.
    const QString size = sizeText(image);
    Clipboard::writeAsync(image, this, [size](bool ok) {
        Log::info(QStringLiteral("完成：已裁剪 ") + size + QStringLiteral(" 像素，写剪贴板") + okText(ok) +
                  QStringLiteral("。"));
    });
    finish();
}

void OverlayCoordinator::beginScrollingCapture(SelectionCanvasView* canvas) {
    const std::optional<tessary::Rect> global = globalSelection(canvas);
    if (!global || global->isEmpty()) {
        Log::error(QStringLiteral("滚动截图：取不到选区，放弃。"));
        finish();
        return;
    }
    QScreen* screen = canvas->captured().screen;
    const double scale = canvas->captured().scale;
    finish();
    if (!scrolling_) {
        scrolling_ = std::make_unique<ScrollingCapture>(services_.displayCapture, options_);
    }
    scrolling_->begin(*global, screen, scale, hotKeyDisplay_);
}

bool OverlayCoordinator::isScrollingCaptureRunning() const {
    return scrolling_ && scrolling_->isRunning();
}

void OverlayCoordinator::finishScrollingCaptureFromHotKey() {
    if (scrolling_) {
        scrolling_->finishFromHotKey();
    }
}

void OverlayCoordinator::save(const CaptureOutput& output) {
    const QImage image = output.rendered;
    if (image.isNull()) {
        finish();
        return;
    }
    const QString size = sizeText(image);
    if (options_.devSavePath) {
        const QString path = QString::fromStdString(*options_.devSavePath);
        // Written off the main thread, started before the teardown so the two overlap.
        ImageSaver::writeAsync(image, path, this, [size, path](bool ok) {
            Log::info(QStringLiteral("保存（开发模式）：") + size + QStringLiteral(" → ") + path +
                      QStringLiteral("，") + okText(ok) + QStringLiteral("。"));
        });
        finish();
        return;
    }
    const auto report = [size](const ImageSaver::Location& location) {
        if (location) {
            Log::info(QStringLiteral("保存：") + size + QStringLiteral(" 像素 → ") +
                      QFileInfo(*location).fileName());
        } else {
            Log::info(QStringLiteral("保存：用户取消或写入失败。"));
        }
    };
    if (ImageSaver::Preference::alwaysAskWhereToSave()) {
        // The panel is a window of its own: the overlays go first.
        finish();
        report(ImageSaver::presentSavePanel(image));
    } else {
        ImageSaver::saveToDefaultDirectoryAsync(image, this, report);
        finish();
    }
}

void OverlayCoordinator::pin(const CaptureOutput& output) {
    const QImage image = output.rendered;
    const std::optional<tessary::Rect>& global = output.globalSelection;
    if (image.isNull() || !global) {
        finish();
        return;
    }
    finish();
    PinnedImageWindow::pin(image, *global);
    Log::info(QStringLiteral("贴图：") + sizeText(image) + QStringLiteral(" 像素，位置 ") +
              QString::number(static_cast<long long>(std::trunc(global->x))) + ',' +
              QString::number(static_cast<long long>(std::trunc(global->y))));
}

void OverlayCoordinator::recognizeText(const CaptureOutput& output) {
    const QImage image = output.cropped;
    const std::optional<tessary::Rect>& global = output.globalSelection;
    if (image.isNull() || !global) {
        Log::error(QStringLiteral("提取文字：取不到选区画面，放弃。"));
        finish();
        return;
    }
    finish();
    const tessary::Rect anchor = *global;
    OcrAction::run(services_.recognizer, image,
                   [anchor](const QString& notice) { NoticePanel::show(notice, anchor); });
}

void OverlayCoordinator::translate(SelectionCanvasView* canvas, const CaptureOutput& output) {
    translation_->toggle(canvas, output);
}

void OverlayCoordinator::copyQRCodes(const CaptureOutput& output) {
    QrCopyAction::perform(output.qrPayloads, output.globalSelection, [this] { finish(); });
}

// MARK: - Performance probe

void OverlayCoordinator::startPerfProbe(long long frames) {
    if (canvases_.isEmpty() || windows_.isEmpty() || frames <= 0) {
        return;
    }
    OverlayWindow* window = windows_.first();
    SelectionCanvasView* canvas = canvases_.first();
    const QScreen* screen = window->screen();
    const double refresh = screen && screen->refreshRate() > 0 ? screen->refreshRate() : 60;
    std::optional<QString> output;
    if (options_.devPerfOutputPath) {
        output = QString::fromStdString(*options_.devPerfOutputPath);
    }
    PerfProbe::start(frames, options_.devLegacyFullRedraw, double(canvas->width()) * canvas->height(),
                     refresh, output);

    if (!probeTimer_) {
        probeTimer_ = new QTimer(this);
        probeTimer_->setTimerType(Qt::PreciseTimer);
    }
    probeTimer_->disconnect();
    probeTimer_->setInterval(6);
    const quint64 session = session_;
    auto next = std::make_shared<long long>(0);
    QPointer<SelectionCanvasView> target(canvas);
    connect(probeTimer_, &QTimer::timeout, this, [this, target, session, frames, next] {
        if (session_ != session || !target) {
            probeTimer_->stop();
            return;
        }
        const tessary::Point p =
            tessary::PerfStatistics::probePoint(*next, {double(target->width()), double(target->height())});
        const QPointF local = CoordinateSpace::toWidget(p, target->height());
        QCoreApplication::postEvent(target,
                                    new QMouseEvent(QEvent::MouseMove, local, target->mapToGlobal(local),
                                                    Qt::NoButton, Qt::NoButton, Qt::NoModifier));
        if (++*next >= frames) {
            probeTimer_->stop();
            QPointer<OverlayCoordinator> self(this);
            QTimer::singleShot(600, this, [self, session] {
                if (!self) {
                    return;
                }
                PerfProbe::report();
                if (self->session_ == session) {
                    self->finish();
                }
            });
        }
    });
    probeTimer_->start();
}
