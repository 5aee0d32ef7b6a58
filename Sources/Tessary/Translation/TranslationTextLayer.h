#pragma once

#include "Translation/TypesetTranslation.h"

#include <QWidget>

#include <optional>
#include <vector>

class QTextEdit;

// Transparent layer over a canvas holding one read-only text view per typeset block, so that the
// translations can be selected with the mouse and copied with Ctrl+C. The views paint the text;
// the canvas then paints only the patches. Size it to the canvas and keep it there.
class TranslationTextLayer : public QWidget {
    Q_OBJECT
public:
    explicit TranslationTextLayer(QWidget* canvas);

    // Replaces the views with one per layout. `canvasHeight`: the canvas's height in points (the
    // layouts are y up; the widget is y down).
    void setTranslation(const TypesetTranslation& translation, double canvasHeight);
    // Loads the faces the views of a translation into `language` will use. Fonts load per thread,
    // and the first view to lay out its words would otherwise load them within the turn that
    // shows the translation: call it on the main thread in a turn of its own, while the
    // translation runs.
    static void prepareFonts(const QString& language);
    void clear();

    // Only the part of the words inside `clip` (widget pixels) shows and takes presses: the canvas
    // shows a translation only within the selection, wherever the selection has moved to.
    void setClip(const QRect& clip);

    // With selection off (a drawing tool is active) the layer lets every click through to the
    // canvas and nothing can be selected.
    bool isSelectionEnabled() const { return m_selectionEnabled; }
    void setSelectionEnabled(bool enabled);

    const std::vector<QTextEdit*>& textViews() const { return m_views; }
    // The selected text of the view holding a selection, "" when none does.
    QString selectedText() const;

private:
    void copySelection() const;
    void applySelectionEnabled(QTextEdit* view);
    void updateMask();

    std::vector<QTextEdit*> m_views;
    bool m_selectionEnabled = true;
    std::optional<QRect> m_clip;
};
