// The toolbar's tools, the bars and the text editor of SelectionCanvasView.
#include "Overlay/SelectionCanvasView.h"

#include "Foundation/CoordinateSpace.h"
#include "Overlay/AnnotationTextEditor.h"
#include "Overlay/ClickTrace.h"
#include "Overlay/QRCodeDetector.h"
#include "Overlay/ToolbarView.h"

#include <QWindow>

#include <algorithm>

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
        apply(interaction_.toggleColorPicker());
        return;
    }
    if (kind == ToolKind::undo) {
        undoLastAnnotation();
        return;
    }
    if (const std::optional<tessary::DrawingTool> tool = ToolKinds::drawingTool(kind)) {
        apply(interaction_.chooseTool(*tool));
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
}

// MARK: - Text editor

void SelectionCanvasView::openTextEditor(Point p) {
    if (!selection()) {
        return;
    }
    const Rect s = selection()->standardized();
    const tessary::AnnotationStyle& style = annotations_.style();
    const double minHeight = AnnotationTextEditor::minimumHeight(style.weight);
    const double width =
        std::min(std::clamp(s.maxX() - p.x, 120.0, AnnotationTextEditor::maximumWidth), s.width);
    const Point topLeft{std::min(p.x, s.maxX() - width),
                        std::max(p.y, s.minY() + std::min(s.height, minHeight))};
    // The editor never reaches below the selection: what is typed there could not be shown.
    auto* editor = new AnnotationTextEditor(style, topLeft, width, topLeft.y - s.minY(), this);
    QPointer<SelectionCanvasView> self(this);
    editor->onCommit = [self](const QString&) {
        if (self) {
            self->commitTextEditing();
        }
    };
    editor->onCancel = [self] {
        if (self) {
            self->cancelTextEditing();
        }
    };
    textEditor_ = editor;
    editor->show();
    editor->raise();
    if (QWidget* top = window()) {
        top->activateWindow();
    }
    editor->setFocus(Qt::OtherFocusReason);
}

void SelectionCanvasView::commitTextEditing() {
    apply(interaction_.endTextEditing(true));
}

void SelectionCanvasView::cancelTextEditing() {
    apply(interaction_.endTextEditing(false));
}

void SelectionCanvasView::closeTextEditor(bool commit) {
    AnnotationTextEditor* editor = textEditor_;
    textEditor_ = nullptr;
    if (!editor) {
        return;
    }
    const QString text = editor->toPlainText();
    const Rect frame = editor->frame();
    const tessary::AnnotationStyle style = editor->style();
    editor->onCommit = nullptr;
    editor->onCancel = nullptr;
    editor->hide();
    // The editor may be the caller (its key handler): it goes away on the next turn.
    editor->deleteLater();
    setFocus(Qt::OtherFocusReason);
    if (commit && !text.trimmed().isEmpty()) {
        tessary::Annotation annotation(tessary::TextShape{{frame.minX() + AnnotationTextEditor::inset,
                                                           frame.maxY() - AnnotationTextEditor::inset},
                                                          text.toStdString()},
                                       style);
        annotations_.store().append(std::move(annotation));
        invalidate(selection() ? *selection() : frame);
    }
    if (commit) {
        updateBarState();
    }
    showBars();
}
