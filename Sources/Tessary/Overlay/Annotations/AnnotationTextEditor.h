#pragma once

#include "TessaryCore/AnnotationStyle.h"
#include "TessaryCore/Geometry.h"

#include <QPlainTextEdit>

#include <functional>

// The floating editor in which a text annotation is typed. It hangs down from a top-left point on
// the canvas, wraps at a fixed width and grows downwards with its text, up to a height limit past
// which it scrolls. Geometry is kept in canvas points (y up); the widget follows it.
class AnnotationTextEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    // Widest a text editor gets, in points.
    static constexpr double maximumWidth = 420;
    // Space between the outline and the text on every side.
    static constexpr double inset = 4;
    // The most characters one paste brings in; a larger paste is cut (the rest would be clipped anyway).
    static constexpr int maximumPasteLength = 20000;

    // The editor's height with one line of text at the weight.
    static double minimumHeight(tessary::AnnotationWeight weight);

    // `topLeft` in the coordinates of `parent` (points, y up); `maxWidth` becomes the wrap width (at most
    // 420); `maxHeight` bounds the growth (never below one line).
    AnnotationTextEditor(const tessary::AnnotationStyle& style, tessary::Point topLeft, double maxWidth,
                         double maxHeight, QWidget* parent);

    // Ctrl+Return, with the whole text.
    std::function<void(const QString&)> onCommit;
    // Escape.
    std::function<void()> onCancel;

    const tessary::AnnotationStyle& style() const { return style_; }
    // The editor's frame in the parent's coordinates (points, y up).
    const tessary::Rect& frame() const { return frame_; }
    // Height of the laid-out text, without the insets.
    double usedTextHeight() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    void fitToText();
    void applyFrame();

    tessary::AnnotationStyle style_;
    tessary::Rect frame_;
    double maxHeight_;
};
