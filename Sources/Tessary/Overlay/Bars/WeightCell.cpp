#include "Overlay/Bars/WeightCell.h"

#include "Foundation/Theme.h"

#include <QPainter>

WeightCell::WeightCell(tessary::AnnotationWeight weight, std::function<void()> onPick, QWidget* parent)
    : StyleBarCell(cellSize, std::move(onPick), parent), weight_(weight) {}

void WeightCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSelectionPlate(painter);
    const double d = tessary::indicatorDiameter(weight_);
    const QPointF centre = QRectF(rect()).center();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::labelColor());
    painter.drawEllipse(QRectF(centre.x() - d / 2, centre.y() - d / 2, d, d));
}
