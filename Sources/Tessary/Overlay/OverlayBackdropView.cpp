#include "Overlay/OverlayBackdropView.h"

#include "App/CoordinateSpace.h"
#include "App/Theme.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

OverlayBackdropView::OverlayBackdropView(const CapturedDisplay& captured, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    pixmap_ = QPixmap::fromImage(captured.image);
    pixmap_.setDevicePixelRatio(captured.scale > 0 ? captured.scale : 1);
}

void OverlayBackdropView::setCutout(const std::optional<tessary::Rect>& cutout) {
    const std::optional<tessary::Rect> next =
        cutout && !cutout->isEmpty() ? std::optional<tessary::Rect>(cutout->standardized()) : std::nullopt;
    if (next == cutout_) {
        return;
    }
    const QRectF before = widgetCutout();
    cutout_ = next;
    const QRectF after = widgetCutout();
    // Only the band where the dimming changes needs a repaint.
    QRegion changed = QRegion(before.toAlignedRect()).xored(QRegion(after.toAlignedRect()));
    for (const QRectF& edge : {before, after}) {
        if (!edge.isEmpty()) {
            // Fractional edges are antialiased across one extra pixel row.
            const QRect outer = edge.toAlignedRect().adjusted(-1, -1, 1, 1);
            const QRect inner = edge.toAlignedRect().adjusted(1, 1, -1, -1);
            changed += QRegion(outer).subtracted(QRegion(inner));
        }
    }
    update(changed);
}

QRectF OverlayBackdropView::widgetCutout() const {
    if (!cutout_) {
        return {};
    }
    return CoordinateSpace::toWidget(*cutout_, height());
}

void OverlayBackdropView::paintFrozen(QPainter& painter, const QPixmap& pixmap, const QRectF& cutout,
                                      const QRect& rect, const QRect& bounds) {
    const QRect target = rect.intersected(bounds);
    if (target.isEmpty()) {
        return;
    }
    const double dpr = pixmap.devicePixelRatio();
    painter.drawPixmap(
        QRectF(target), pixmap,
        QRectF(target.x() * dpr, target.y() * dpr, target.width() * dpr, target.height() * dpr));
    const QColor dim = Theme::dimColor();
    if (cutout.isEmpty() || !cutout.intersects(QRectF(target))) {
        painter.fillRect(target, dim);
        return;
    }
    // Whole-pixel parts go through fillRect (fast path); only the fractional rim is antialiased.
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(QRectF(target));
    path.addRect(cutout.intersected(QRectF(target).adjusted(-1, -1, 1, 1)));
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.fillPath(path, dim);
    painter.restore();
}

void OverlayBackdropView::paintEvent(QPaintEvent* event) {
    if (paintObserver_) {
        paintObserver_();
    }
    QPainter painter(this);
    const QRectF cutout = widgetCutout();
    for (const QRect& rect : event->region()) {
        paintFrozen(painter, pixmap_, cutout, rect, this->rect());
    }
}
