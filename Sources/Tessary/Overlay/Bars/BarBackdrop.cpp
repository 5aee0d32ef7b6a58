#include "Overlay/Bars/BarBackdrop.h"

#include "Foundation/Theme.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace BarBackdrop {

void paint(QPainter& painter, const QRectF& bounds) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    // Nearly opaque: the frozen screen behind the bar is busy, and the icons must stay legible on it.
    QColor fill = QGuiApplication::palette().color(QPalette::Active, QPalette::Window);
    fill.setAlphaF(0.94);
    painter.fillPath(plate, fill);
    painter.setPen(QPen(Theme::separatorColor(), 1));
    painter.drawPath(plate);
    painter.restore();
}

} // namespace BarBackdrop
