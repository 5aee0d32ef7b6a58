#include "Overlay/Canvas/OverlayText.h"

#include "Foundation/CoordinateSpace.h"

#include <QFontMetricsF>
#include <QPainter>

namespace OverlayText {

QSizeF measure(const QString& text, const QFont& font) {
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void drawAt(QPainter& painter, const QString& text, const QFont& font, tessary::Point origin,
            double canvasHeight, double maxWidth) {
    const QSizeF size = measure(text, font);
    const double width = maxWidth >= 0 ? maxWidth : size.width();
    const QRectF box =
        CoordinateSpace::toWidget(tessary::Rect{origin.x, origin.y, width + 1, size.height()}, canvasHeight);
    painter.setFont(font);
    const QString shown =
        maxWidth >= 0 ? QFontMetricsF(font).elidedText(text, Qt::ElideRight, maxWidth) : text;
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

} // namespace OverlayText
