#pragma once

#include "Overlay/Annotations/AnnotationRenderContext.h"
#include "TessaryCore/Annotation.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>

#include <functional>
#include <vector>

class QPainter;

// The look of a text annotation; the text editor shares it.
struct TextAttributes {
    QFont font;
    QColor foreground;
    // A halo behind the glyphs: dark behind light text, light behind dark text.
    QColor shadowColor;
    double shadowBlurRadius = 2.5;
    QPointF shadowOffset;
};

// Draws annotations. The painter's user space is the model space: points, y up (see RenderTransform);
// every measure is in points, so the canvas on screen and the exported image at the display's scale agree.
namespace AnnotationRenderer {

void draw(QPainter& painter, const tessary::Annotation& annotation, const AnnotationRenderContext& context);

// A copy of `crop` (the selection's pixels at `scale`) with the annotations drawn over it in order, clipped
// to the selection. `underlay` draws first, in the same model space (translation patches). A crop that
// cannot be converted comes back as it is.
QImage renderOnto(const QImage& crop, const tessary::Rect& selection, double scale,
                  const std::vector<tessary::Annotation>& annotations, const AnnotationRenderContext& context,
                  const std::function<void(QPainter&)>& underlay = {});

// The filled outline of an arrow: a tapered shaft and a triangular head at `to`, seven corners.
QPainterPath arrowPath(tessary::Point from, tessary::Point to, double lineWidth);

TextAttributes textAttributes(const tessary::AnnotationStyle& style);
QFont stickerFont(tessary::AnnotationWeight weight);
double stickerFontSize(tessary::AnnotationWeight weight);
// The mosaic brush is wider than one block so a stroke always reveals whole blocks.
double mosaicBrushWidth(tessary::AnnotationWeight weight);

// Size of a (possibly multi-line) text in the font, in points.
QSizeF textSize(const QString& text, const QFont& font);
// Text as the annotation stores it, with every kind of line break made a Qt one.
QString displayText(const std::string& content);

} // namespace AnnotationRenderer
