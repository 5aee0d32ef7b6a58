#include "Overlay/Annotations/AnnotationTextEditor.h"

#include "Foundation/CoordinateSpace.h"
#include "Overlay/Annotations/AnnotationRenderer.h"
#include "Foundation/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array<double, 3> minimumHeights{27, 36, 50.4};

// Widget geometry for a frame in points: edges rounded to whole points, so adjacent frames still meet.
QRect alignedGeometry(const tessary::Rect& frame, double parentHeight) {
    const QRectF r = CoordinateSpace::toWidget(frame, parentHeight);
    const QPoint topLeft(int(std::lround(r.left())), int(std::lround(r.top())));
    const QPoint bottomRight(int(std::lround(r.right())), int(std::lround(r.bottom())));
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

} // namespace

double AnnotationTextEditor::minimumHeight(tessary::AnnotationWeight weight) {
    return minimumHeights.at(static_cast<std::size_t>(weight));
}

AnnotationTextEditor::AnnotationTextEditor(const tessary::AnnotationStyle& style, tessary::Point topLeft,
                                           double maxWidth, double maxHeight, QWidget* parent)
    : QPlainTextEdit(parent), style_(style), maxHeight_(std::max(maxHeight, minimumHeight(style.weight))) {
    const double width = std::clamp(maxWidth, 1.0, maximumWidth);
    const double height = minimumHeight(style.weight);
    frame_ = {topLeft.x, topLeft.y - height, width, height};

    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    setBackgroundVisible(false);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAttribute(Qt::WA_TranslucentBackground);
    // The document margin is the inset between the outline and the text on every side.
    document()->setDocumentMargin(inset);

    const QColor ink = AnnotationRenderer::textAttributes(style).foreground;
    QPalette colors = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colors.setColor(group, QPalette::Base, Qt::transparent);
        colors.setColor(group, QPalette::Window, Qt::transparent);
        colors.setColor(group, QPalette::Text, ink);
    }
    setPalette(colors);
    setFont(AnnotationRenderer::textAttributes(style).font);
    // Qt draws the caret in the text colour; the caret width follows the platform.
    setCursor(Qt::IBeamCursor);
    viewport()->setCursor(Qt::IBeamCursor);

    applyFrame();
    connect(this, &QPlainTextEdit::textChanged, this, &AnnotationTextEditor::fitToText);
}

double AnnotationTextEditor::usedTextHeight() const {
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    double height = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        height += layout->blockBoundingRect(block).height();
    }
    // The plain-text layout counts the bottom margin into the last block.
    return std::max(0.0, height - document()->documentMargin());
}

void AnnotationTextEditor::fitToText() {
    const double wanted =
        std::min(std::max(minimumHeight(style_.weight), usedTextHeight() + 2 * inset), maxHeight_);
    if (std::abs(wanted - frame_.height) <= 0.5) {
        return;
    }
    // The top edge stays where it is: the editor grows downwards.
    const double top = frame_.maxY();
    frame_.height = wanted;
    frame_.y = top - wanted;
    applyFrame();
    ensureCursorVisible();
}

void AnnotationTextEditor::applyFrame() {
    const double parentHeight = parentWidget() ? parentWidget()->height() : frame_.maxY();
    setGeometry(alignedGeometry(frame_, parentHeight));
}

void AnnotationTextEditor::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && (event->modifiers() & Qt::ControlModifier)) {
        event->accept();
        if (onCommit) {
            onCommit(toPlainText());
        }
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (onCancel) {
            onCancel();
        }
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
    // Keys the editor has no use for stop here: the canvas under it must not act on them.
    event->accept();
}

void AnnotationTextEditor::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(Theme::textEditorBorder(), 1.5);
        pen.setDashPattern({4 / 1.5, 3 / 1.5}); // dash lengths are in units of the pen width
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF outline = QRectF(viewport()->rect()).adjusted(0.75, 0.75, -0.75, -0.75);
        painter.drawRoundedRect(outline, 4, 4);
    }
    QPlainTextEdit::paintEvent(event);
}

bool AnnotationTextEditor::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void AnnotationTextEditor::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        return;
    }
    // Only the plain text of whatever was copied, and a bounded amount of it.
    QString text = source->text();
    const int room = std::max(0, maximumPasteLength - int(toPlainText().size()));
    if (text.size() > room) {
        text.truncate(room);
        if (!text.isEmpty() && text.back().isHighSurrogate()) {
            text.chop(1);
        }
    }
    insertPlainText(text);
}
