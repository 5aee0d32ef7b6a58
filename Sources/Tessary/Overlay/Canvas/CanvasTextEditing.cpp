#include "Overlay/Canvas/CanvasTextEditing.h"

#include <QWidget>

#include <algorithm>

using tessary::Point;
using tessary::Rect;

void CanvasTextEditing::open(QWidget* canvas, const Rect& selection, Point at,
                             const tessary::AnnotationStyle& style, std::function<void()> onCommit,
                             std::function<void()> onCancel) {
    const Rect s = selection.standardized();
    const double minHeight = AnnotationTextEditor::minimumHeight(style.weight);
    const double width =
        std::min(std::clamp(s.maxX() - at.x, 120.0, AnnotationTextEditor::maximumWidth), s.width);
    const Point topLeft{std::min(at.x, s.maxX() - width),
                        std::max(at.y, s.minY() + std::min(s.height, minHeight))};
    // The editor never reaches below the selection: what is typed there could not be shown.
    auto* editor = new AnnotationTextEditor(style, topLeft, width, topLeft.y - s.minY(), canvas);
    editor->onCommit = [onCommit = std::move(onCommit)](const QString&) { onCommit(); };
    editor->onCancel = std::move(onCancel);
    editor_ = editor;
    editor->show();
    editor->raise();
    if (QWidget* top = canvas->window()) {
        top->activateWindow();
    }
    editor->setFocus(Qt::OtherFocusReason);
}

std::optional<CanvasTextEditing::Closed> CanvasTextEditing::close() {
    AnnotationTextEditor* editor = editor_;
    editor_ = nullptr;
    if (!editor) {
        return std::nullopt;
    }
    Closed closed;
    closed.frame = editor->frame();
    const QString text = editor->toPlainText();
    if (!text.trimmed().isEmpty()) {
        closed.text =
            tessary::Annotation(tessary::TextShape{{closed.frame.minX() + AnnotationTextEditor::inset,
                                                    closed.frame.maxY() - AnnotationTextEditor::inset},
                                                   text.toStdString()},
                                editor->style());
    }
    editor->onCommit = nullptr;
    editor->onCancel = nullptr;
    editor->hide();
    // The editor may be the caller (its key handler): it goes away on the next turn.
    editor->deleteLater();
    return closed;
}
