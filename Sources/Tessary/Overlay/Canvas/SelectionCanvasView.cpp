#include "Overlay/Canvas/SelectionCanvasView.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Output/Clipboard.h"
#include "Overlay/QR/QRCodeDetector.h"
#include "Overlay/Session/ClickTrace.h"
#include "Overlay/Session/OverlayBackdropView.h"
#include "Overlay/Session/PerfProbe.h"
#include "TessaryCore/DemoAnnotations.h"
#include "Translation/TranslationSettings.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include <cmath>

using tessary::Point;
using tessary::Rect;
namespace SG = tessary::SelectionGeometry;
namespace Commands = tessary::CanvasCommands;
namespace Modes = tessary::CanvasModes;

namespace {

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace

SelectionCanvasView::SelectionCanvasView(CapturedDisplay captured,
                                         std::vector<tessary::OnScreenWindow> windows, QWidget* parent)
    : QWidget(parent), captured_(std::move(captured)), windows_(std::move(windows)),
      pixels_(captured_.image, captured_.scale), interaction_(Rect{}), layers_{&translation_, &annotations_},
      mosaicCache_(captured_.image, captured_.scale), hints_(*this, pixels_, captured_, windows_, perf_),
      picker_(*this, pixels_, perf_, this) {
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    qrDetector_ = new QRCodeDetector(this);
    connect(qrDetector_, &QRCodeDetector::scanFinished, this, [this](const QStringList& payloads) {
        if (qrDetector_->scannedSelection() == selection()) {
            setQRPayloads(payloads);
        }
    });
    QPointer<SelectionCanvasView> self(this);
    CanvasBars::Actions actions;
    actions.tool = [self](ToolKind kind) {
        if (self) {
            self->handleToolbarSelection(kind);
        }
    };
    actions.color = [this](tessary::AnnotationColor color) {
        tessary::AnnotationStyle style = annotations_.style();
        style.color = color;
        annotations_.setStyle(style);
    };
    actions.weight = [this](tessary::AnnotationWeight weight) {
        tessary::AnnotationStyle style = annotations_.style();
        style.weight = weight;
        annotations_.setStyle(style);
    };
    actions.sticker = [this](const std::string& sticker) { annotations_.setSticker(sticker); };
    bars_ = new CanvasBars(
        this, [this] { return selection(); }, std::move(actions));
    resize(int(std::lround(captured_.frame.width)), int(std::lround(captured_.frame.height)));
}

SelectionCanvasView::~SelectionCanvasView() = default;

Rect SelectionCanvasView::bounds() const {
    return {0, 0, double(width()), double(height())};
}

void SelectionCanvasView::setDelegate(SelectionCanvasDelegate* delegate) {
    delegate_ = delegate;
    delegateGuard_ = dynamic_cast<QObject*>(delegate);
}

SelectionCanvasDelegate* SelectionCanvasView::delegate() const {
    return delegateGuard_ ? delegate_ : nullptr;
}

void SelectionCanvasView::setBackdrop(OverlayBackdropView* backdrop) {
    backdrop_ = backdrop;
    if (backdrop_) {
        QPointer<SelectionCanvasView> self(this);
        backdrop_->setPaintObserver([self] {
            if (self) {
                self->markFrameStart();
            }
        });
    }
    refreshCutout();
}

tessary::CanvasInteraction& SelectionCanvasView::machine() {
    // A hidden widget hears of a new size only when shown; the rules need it at once.
    interaction_.setBounds(bounds());
    return interaction_;
}

void SelectionCanvasView::setGuide(OverlayGuideView* guide) {
    hints_.setGuide(guide);
}

void SelectionCanvasView::markFrameStart() {
    if (PerfProbe::isRecording()) {
        frameTimer_.start();
        frameStarted_ = true;
    }
}

// MARK: - Coordinates and invalidation

Point SelectionCanvasView::toCanvas(QPointF widgetPoint) const {
    return CoordinateSpace::fromWidget(widgetPoint, height());
}

QRectF SelectionCanvasView::toWidget(const Rect& rect) const {
    return CoordinateSpace::toWidget(rect, height());
}

void SelectionCanvasView::invalidate(const Rect& rect) {
    if (rect.isEmpty()) {
        return;
    }
    const QRect area = toWidget(rect.standardized()).toAlignedRect().intersected(this->rect());
    if (!area.isEmpty()) {
        update(area);
    }
}

void SelectionCanvasView::invalidateUnion(const Rect& a, const Rect& b) {
    const Rect both = SG::united(a, b);
    if (!both.isEmpty()) {
        invalidate(SG::insetBy(both, -2, -2));
    }
}

Rect SelectionCanvasView::annotationArea() const {
    return selection() ? *selection() : bounds();
}

// MARK: - Carrying out the interaction's answers

void SelectionCanvasView::apply(const tessary::CanvasCommandList& commands) {
    for (const tessary::CanvasCommand& command : commands) {
        apply(command);
    }
}

void SelectionCanvasView::apply(const tessary::CanvasCommand& command) {
    std::visit(Overloaded{
                   [this](const Commands::BeginSelection&) {
                       if (SelectionCanvasDelegate* d = delegate()) {
                           d->selectionCanvasDidBeginSelection(this);
                       }
                       clearPointerHints();
                   },
                   [this](const Commands::SelectionChanged& c) { selectionChanged(c.before); },
                   [this](const Commands::ShowBars&) { showBars(); },
                   [this](const Commands::HideBars&) { hideBars(); },
                   [this](const Commands::SyncBars&) { syncBars(); },
                   [this](const Commands::ClearPointerHints&) { clearPointerHints(); },
                   [this](const Commands::TrackPointerGuide& c) { hints_.track(c.at); },
                   [this](const Commands::TrackPicker& c) {
                       updateColorPicker(c.at ? *c.at : toCanvas(mapFromGlobal(QCursor::pos())));
                   },
                   [this](const Commands::ForgetPicker&) { picker_.forget(); },
                   [this](const Commands::ShowLoupe& c) {
                       picker_.clearCopiedMark();
                       clearPointerHints();
                       if (c.at) {
                           updateColorPicker(*c.at);
                       }
                   },
                   [this](const Commands::CopyColor& c) {
                       if (c.picked && picker_.color()) {
                           picker_.copy();
                       } else if (c.orGuide && hints_.color()) {
                           copyGuideColor(*hints_.color());
                       }
                   },
                   [this](const Commands::PlaceSticker& c) {
                       const Rect area = annotations_.placeSticker(c.at, annotationArea());
                       updateBarState();
                       invalidate(area);
                   },
                   [this](const Commands::OpenTextEditor& c) { openTextEditor(c.at); },
                   [this](const Commands::CloseTextEditor& c) { closeTextEditor(c.commit); },
                   [this](const Commands::StartDraft& c) {
                       if (const auto& tool = interaction_.armedTool()) {
                           invalidate(annotations_.extendDraft(*tool, c.at, c.at, annotationArea()));
                       }
                       if (annotations_.draft()) {
                           invalidate(annotations_.area(*annotations_.draft(), annotationArea()));
                       }
                   },
                   [this](const Commands::ExtendDraft& c) {
                       if (const auto& tool = interaction_.armedTool()) {
                           invalidate(annotations_.extendDraft(*tool, c.anchor, c.to, annotationArea()));
                       }
                   },
                   [this](const Commands::FinishDraft&) {
                       invalidate(annotations_.finishDraft(annotationArea()));
                       updateBarState();
                   },
                   [this](const Commands::DiscardDraft&) { annotations_.discardDraft(); },
                   [this](const Commands::Undo&) { undoLastAnnotation(); },
                   [this](const Commands::Redo&) {
                       if (annotations_.store().redo()) {
                           update();
                       }
                       updateBarState();
                   },
                   [this](const Commands::Confirm&) {
                       if (SelectionCanvasDelegate* d = delegate()) {
                           d->confirm(captureOutput(ToolKind::confirm));
                       }
                   },
                   [this](const Commands::EndSession&) {
                       if (SelectionCanvasDelegate* d = delegate()) {
                           d->finish();
                       }
                   },
                   [this](const Commands::Repaint&) { update(); },
               },
               command);
}

// MARK: - Selection and output

void SelectionCanvasView::setSelection(const std::optional<Rect>& selection) {
    apply(machine().setSelection(selection));
}

void SelectionCanvasView::selectionChanged(const std::optional<Rect>& before) {
    if (before == selection()) {
        return;
    }
    qrDetector_->cancel();
    qrPayloads_.clear();
    bars_->setQRAvailable(false);
    hideNotice();
    translation_.setClip(selection());
    refreshCutout();
    invalidate(SG::selectionChangeDirtyRect(before, selection(), bounds()));
}

void SelectionCanvasView::refreshCutout() {
    const std::optional<Rect> cutout = selection() ? selection() : hints_.hoveredWindowRect();
    if (backdrop_) {
        backdrop_->setCutout(cutout);
    }
}

void SelectionCanvasView::clearSelection() {
    clearTranslation();
    apply(machine().clearSelection());
}

QImage SelectionCanvasView::croppedImage() const {
    return selection() ? pixels_.crop(*selection(), height()) : QImage();
}

CaptureOutput SelectionCanvasView::captureOutput(ToolKind tool) {
    CaptureOutput output;
    if (tool == ToolKind::confirm || tool == ToolKind::save || tool == ToolKind::pin) {
        output.rendered = renderedImage();
    }
    output.cropped = croppedImage();
    if (selection()) {
        output.globalSelection = selection()->standardized().offsetBy(captured_.frame.x, captured_.frame.y);
    }
    output.scale = captured_.scale;
    output.qrPayloads = qrPayloads_;
    return output;
}

void SelectionCanvasView::applyDemoSelection(const std::optional<Rect>& rect) {
    const Rect wanted = rect ? rect->standardized().intersected(bounds())
                             : tessary::DemoAnnotations::defaultSelection(bounds());
    if (!wanted.isEmpty()) {
        apply(machine().applySelection(wanted));
    }
}

void SelectionCanvasView::applyDemoAnnotations() {
    if (!selection()) {
        return;
    }
    for (tessary::Annotation& annotation : tessary::DemoAnnotations::make(*selection())) {
        annotations_.store().append(std::move(annotation));
    }
    updateBarState();
    update();
}

void SelectionCanvasView::setQRPayloads(const QStringList& payloads) {
    qrPayloads_ = payloads;
    bars_->setQRAvailable(!payloads.isEmpty());
}

void SelectionCanvasView::setTranslation(std::optional<tessary::TranslationOverlay> translation,
                                         std::optional<TypesetTranslation> typeset) {
    translation_.setSelectionEnabled(!activeTool());
    translation_.setClip(selection());
    translation_.setOverlay(std::move(translation), captured_.image, bounds(), this,
                            TranslationSettings::selectableText(), std::move(typeset));
    updateBarState();
    update();
}

void SelectionCanvasView::clearTranslation() {
    if (!translation_.overlay()) {
        return;
    }
    translation_.clear();
    updateBarState();
    update();
}

// MARK: - Press, drag, release

void SelectionCanvasView::traceCanvas(const QString& ending) const {
    if (ClickTrace::isEnabled()) {
        Log::notice(QStringLiteral("点击诊断·画布：") + ending);
    }
}

void SelectionCanvasView::tracePress(const tessary::CanvasInteraction& before,
                                     const tessary::CanvasCommandList& commands) const {
    if (!ClickTrace::isEnabled()) {
        return;
    }
    const tessary::CanvasMode& mode = interaction_.mode();
    QString ending;
    if (before.is<Modes::PickingColor>()) {
        ending = QStringLiteral("取色器复制");
    } else if (before.is<Modes::EditingText>()) {
        ending = QStringLiteral("落下正在输入的文字");
    } else if (const auto* resizing = std::get_if<Modes::Resizing>(&mode)) {
        ending = QStringLiteral("拖控制点调整选区（") +
                 QString::fromLatin1(tessary::handleName(resizing->handle)) + QStringLiteral("）");
    } else if (std::holds_alternative<Modes::Creating>(mode)) {
        ending = QStringLiteral("重新框选");
    } else if (std::holds_alternative<Modes::CreatingFromWindow>(mode)) {
        ending = QStringLiteral("重新框选（吸在窗口上）");
    } else if (std::holds_alternative<Modes::Moving>(mode)) {
        ending = QStringLiteral("拖动整个选区");
    } else if (const auto& tool = before.armedTool(); tool && commands.empty()) {
        ending = QStringLiteral("拿着标注工具点在选区外，忽略");
    } else if (tool) {
        ending =
            QStringLiteral("开始标注（") + ToolKinds::name(ToolKinds::kind(*tool)) + QStringLiteral("）");
    }
    traceCanvas(QStringLiteral("按下 → ") + ending);
}

void SelectionCanvasView::pressAt(Point p) {
    const tessary::CanvasInteraction before = interaction_;
    const tessary::CanvasCommandList commands = machine().press(p, [this](Point at) {
        hints_.refreshHoveredWindow(at);
        return hints_.hoveredWindowRect();
    });
    tracePress(before, commands);
    apply(commands);
}

void SelectionCanvasView::dragTo(Point p) {
    apply(machine().drag(p));
}

void SelectionCanvasView::releaseAt(Point p) {
    apply(machine().release(p));
}

void SelectionCanvasView::pointerMovedTo(Point p) {
    apply(machine().pointerMoved(p));
}

void SelectionCanvasView::pointerExited() {
    apply(machine().pointerExited());
}

// MARK: - Pointer hints, colour picker and loupe

void SelectionCanvasView::clearPointerHints() {
    hints_.clear();
}

void SelectionCanvasView::showPreSelectionLoupe(std::optional<Point> pointer) {
    apply(machine().showLoupe(pointer));
}

void SelectionCanvasView::updateColorPicker(Point p) {
    if (interaction_.showsPicker()) {
        picker_.track(p);
    }
}

void SelectionCanvasView::copyGuideColor(const tessary::PixelColor& color) {
    const QString text = QString::fromStdString(color.hexString());
    Clipboard::writeText(text);
    Log::info(QStringLiteral("选区引导：") + text + QStringLiteral(" 已写剪贴板。"));
}

// MARK: - Qt events

void SelectionCanvasView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    pressAt(toCanvas(event->position()));
}

void SelectionCanvasView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (event->buttons() & Qt::LeftButton) {
        dragTo(toCanvas(event->position()));
    } else {
        pointerMovedTo(toCanvas(event->position()));
    }
}

void SelectionCanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    releaseAt(toCanvas(event->position()));
}

void SelectionCanvasView::enterEvent(QEnterEvent* event) {
    pointerMovedTo(toCanvas(event->position()));
}

void SelectionCanvasView::leaveEvent(QEvent*) {
    pointerExited();
}

void SelectionCanvasView::keyPressEvent(QKeyEvent* event) {
    constexpr Qt::KeyboardModifiers relevant =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & relevant;
    std::optional<tessary::CanvasKey> key;
    switch (event->key()) {
    case Qt::Key_Escape:
        key = tessary::CanvasKey::escape;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = tessary::CanvasKey::enter;
        break;
    case Qt::Key_C:
        if (modifiers == Qt::ControlModifier) {
            key = tessary::CanvasKey::copy;
        }
        break;
    case Qt::Key_Z:
        if (modifiers == Qt::ControlModifier) {
            key = tessary::CanvasKey::undo;
        } else if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
            key = tessary::CanvasKey::redo;
        }
        break;
    default:
        break;
    }
    if (key) {
        if (const std::optional<tessary::CanvasCommandList> commands = machine().key(*key)) {
            apply(*commands);
            return;
        }
    }
    // The editor has the keyboard; nothing typed there may act on the canvas or the session.
    if (!interaction_.is<Modes::EditingText>()) {
        QWidget::keyPressEvent(event);
    }
}
