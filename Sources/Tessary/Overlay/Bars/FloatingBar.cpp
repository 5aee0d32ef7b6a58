#include "Overlay/Bars/FloatingBar.h"

#include "Overlay/Bars/BarBackdrop.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

FloatingBar::FloatingBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

QRect FloatingBar::widgetRect(const tessary::Rect& rect) {
    return QRect(static_cast<int>(std::lround(rect.x)), static_cast<int>(std::lround(rect.y)),
                 static_cast<int>(std::lround(rect.width)), static_cast<int>(std::lround(rect.height)));
}

void FloatingBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    BarBackdrop::paint(painter, rect());
    paintOverBackdrop(painter);
}

// Presses between the cells belong to the bar, not to the canvas below it.
void FloatingBar::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void FloatingBar::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}
void FloatingBar::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void FloatingBar::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
