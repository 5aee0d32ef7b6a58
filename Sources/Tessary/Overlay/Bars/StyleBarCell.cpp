#include "Overlay/Bars/StyleBarCell.h"

#include "Foundation/Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

StyleBarCell::StyleBarCell(QSize size, std::function<void()> onPick, QWidget* parent)
    : QWidget(parent), onPick_(std::move(onPick)) {
    setFixedSize(size);
    setFocusPolicy(Qt::NoFocus);
}

void StyleBarCell::setSelected(bool selected) {
    if (selected_ != selected) {
        selected_ = selected;
        update();
    }
}

void StyleBarCell::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void StyleBarCell::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void StyleBarCell::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && QRectF(rect()).contains(event->position()) && onPick_) {
        onPick_();
    }
}

void StyleBarCell::paintSelectionPlate(QPainter& painter) const {
    if (!selected_) {
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
    painter.fillPath(path, Theme::buttonSelectedBackground());
    painter.setPen(QPen(Theme::buttonSelectedBorder(), 1.5));
    painter.drawPath(path);
}
