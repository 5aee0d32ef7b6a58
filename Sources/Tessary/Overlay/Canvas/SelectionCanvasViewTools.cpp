// The toolbar's tools, the bars and the text editor of SelectionCanvasView.
#include "Overlay/Canvas/SelectionCanvasView.h"

#include "Foundation/CoordinateSpace.h"
#include "Overlay/Bars/ToolbarView.h"
#include "Overlay/QR/QRCodeDetector.h"
#include "Overlay/Session/ClickTrace.h"

using tessary::Point;
using tessary::Rect;

std::optional<ToolKind> SelectionCanvasView::activeTool() const {
    if (const auto& tool = interaction_.armedTool()) {
        return ToolKinds::kind(*tool);
    }
    return std::nullopt;
}

void SelectionCanvasView::handleToolbarSelection(ToolKind kind) {
    if (ToolKinds::isSessionAction(kind)) {
        if (SelectionCanvasDelegate* d = delegate()) {
            d->selectionCanvasDidInvoke(this, kind, captureOutput(kind));
        }
        return;
    }
    if (kind == ToolKind::colorPicker) {
        apply(machine().toggleColorPicker());
        return;
    }
    if (kind == ToolKind::undo) {
        undoLastAnnotation();
        return;
    }
    if (const std::optional<tessary::DrawingTool> tool = ToolKinds::drawingTool(kind)) {
        apply(machine().chooseTool(*tool));
    }
}

void SelectionCanvasView::undoLastAnnotation() {
    if (annotations_.store().undo()) {
        update();
    }
    updateBarState();
}

// MARK: - Bars

void SelectionCanvasView::showBars() {
    if (!selection()) {
        return;
    }
    bars_->show();
    syncBars();
    qrDetector_->schedule(*selection(), [this] { return croppedImage(); });
    if (ClickTrace::isEnabled()) {
        const Rect frame = CoordinateSpace::fromWidget(QRectF(toolbar()->geometry()), height());
        const Rect screen = frame.offsetBy(captured_.frame.x, captured_.frame.y);
        const QWidget* top = window();
        const bool key = top && top->isActiveWindow();
        traceCanvas(QString::asprintf("工具栏出现在屏幕 (%.1f,%.1f,%.1f×%.1f)，窗口 key=", screen.x, screen.y,
                                      screen.width, screen.height) +
                    (key ? QStringLiteral("是") : QStringLiteral("否")));
    }
}

void SelectionCanvasView::hideBars() {
    bars_->hide();
}

void SelectionCanvasView::syncBars() {
    bars_->syncStyleBar(activeTool());
    updateBarState();
}

void SelectionCanvasView::updateBarState() {
    std::optional<ToolKind> highlighted = activeTool();
    if (!highlighted && isColorPickerActive()) {
        highlighted = ToolKind::colorPicker;
    }
    bars_->updateState(highlighted, annotations_.store().canUndo());
    if (ToolbarView* bar = toolbar()) {
        bar->setTranslateActive(translation_.overlay().has_value());
    }
    translation_.setSelectionEnabled(!activeTool());
}

// MARK: - Text editor

void SelectionCanvasView::openTextEditor(Point p) {
    if (!selection()) {
        return;
    }
    QPointer<SelectionCanvasView> self(this);
    textEditing_.open(
        this, *selection(), p, annotations_.style(),
        [self] {
            if (self) {
                self->commitTextEditing();
            }
        },
        [self] {
            if (self) {
                self->cancelTextEditing();
            }
        });
}

void SelectionCanvasView::commitTextEditing() {
    apply(machine().endTextEditing(true));
}

void SelectionCanvasView::cancelTextEditing() {
    apply(machine().endTextEditing(false));
}

void SelectionCanvasView::closeTextEditor(bool commit) {
    const std::optional<CanvasTextEditing::Closed> closed = textEditing_.close();
    if (!closed) {
        return;
    }
    setFocus(Qt::OtherFocusReason);
    if (commit && closed->text) {
        annotations_.store().append(*closed->text);
        invalidate(selection() ? *selection() : closed->frame);
    }
    if (commit) {
        updateBarState();
    }
    showBars();
}
