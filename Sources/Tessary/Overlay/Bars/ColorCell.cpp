#include "Overlay/Bars/ColorCell.h"

#include "Foundation/Theme.h"

#include <QPainter>
#include <QPainterPath>

ColorCell::ColorCell(tessary::AnnotationColor color, std::function<void()> onPick, QWidget* parent)
    : StyleBarCell(cellSize, std::move(onPick), parent), color_(color) {}

void ColorCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const double inset = isSelected() ? 3.5 : 1.5;
    painter.setBrush(QColor::fromRgbF(static_cast<float>(color_.red), static_cast<float>(color_.green),
                                      static_cast<float>(color_.blue)));
    painter.setPen(QPen(Theme::separatorColor(), 1));
    painter.drawEllipse(bounds.adjusted(inset, inset, -inset, -inset));
    if (!isSelected()) {
        return;
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Theme::labelColor(), 1.5));
    painter.drawEllipse(bounds.adjusted(0.75, 0.75, -0.75, -0.75));

    // A check through the left middle, the bottom middle and the top right of the inner box.
    const QRectF box = bounds.adjusted(bounds.width() * 0.3, bounds.height() * 0.32, -bounds.width() * 0.3,
                                       -bounds.height() * 0.32);
    QPainterPath check;
    check.moveTo(box.left(), box.center().y());
    check.lineTo(box.center().x(), box.bottom());
    check.lineTo(box.right(), box.top());
    QPen pen(color_.isLight() ? Qt::black : Qt::white, 2);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.drawPath(check);
}
