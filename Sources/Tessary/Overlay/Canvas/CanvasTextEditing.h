#pragma once

#include "Overlay/Annotations/AnnotationTextEditor.h"
#include "TessaryCore/Annotation.h"

#include <QPointer>

#include <functional>
#include <optional>

class QWidget;

// The text tool's floating editor on a canvas: where it opens and what it leaves when it closes.
class CanvasTextEditing {
public:
    AnnotationTextEditor* editor() const { return editor_; }

    // Opens an editor at `at` within `selection` and gives it the keyboard; `onCommit` and
    // `onCancel` are its own Ctrl+Return and Escape.
    void open(QWidget* canvas, const tessary::Rect& selection, tessary::Point at,
              const tessary::AnnotationStyle& style, std::function<void()> onCommit,
              std::function<void()> onCancel);

    struct Closed {
        // The typed text as an annotation; nothing when only blanks were typed.
        std::optional<tessary::Annotation> text;
        // Where the editor was (points, y up).
        tessary::Rect frame;
    };
    // Nothing when no editor is open.
    std::optional<Closed> close();

private:
    QPointer<AnnotationTextEditor> editor_;
};
