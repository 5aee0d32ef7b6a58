#include "Overlay/Session/OverlayGuideView.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Theme.h"

#include <QPaintEvent>
#include <QPainter>

OverlayGuideView::OverlayGuideView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

QRegion OverlayGuideView::crosshairArea(const std::optional<tessary::Point>& center) const {
    if (!center) {
        return {};
    }
    const QPointF c = CoordinateSpace::toWidget(*center, height());
    const double half = crosshairLength / 2;
    const QRectF horizontal(c.x() - half, c.y() - crosshairThickness / 2, crosshairLength,
                            crosshairThickness);
    const QRectF vertical(c.x() - crosshairThickness / 2, c.y() - half, crosshairThickness, crosshairLength);
    // Two thin bands, not their bounding square.
    return QRegion(horizontal.toAlignedRect().adjusted(-1, -1, 1, 1)) +
           QRegion(vertical.toAlignedRect().adjusted(-1, -1, 1, 1));
}

QRegion OverlayGuideView::borderArea(const std::optional<tessary::Rect>& rect) const {
    if (!rect || rect->isEmpty()) {
        return {};
    }
    const QRect r = CoordinateSpace::toWidget(*rect, height()).toAlignedRect();
    const int pad = 2;
    return QRegion(r.adjusted(-pad, -pad, pad, pad)).subtracted(QRegion(r.adjusted(pad, pad, -pad, -pad)));
}

void OverlayGuideView::setCrosshair(const std::optional<tessary::Point>& center) {
    if (center == crosshair_) {
        return;
    }
    QRegion dirty = crosshairArea(crosshair_);
    crosshair_ = center;
    dirty += crosshairArea(crosshair_);
    update(dirty);
}

void OverlayGuideView::showWindowBorder(const std::optional<tessary::Rect>& rect) {
    const std::optional<tessary::Rect> next = rect && !rect->isEmpty() ? rect : std::nullopt;
    if (next == windowBorder_) {
        return;
    }
    QRegion dirty = borderArea(windowBorder_);
    windowBorder_ = next;
    dirty += borderArea(windowBorder_);
    update(dirty);
}

void OverlayGuideView::paintEvent(QPaintEvent* event) {
    if (!crosshair_ && !windowBorder_) {
        return;
    }
    QPainter painter(this);
    const QColor color = Theme::selectionBorder();
    if (crosshair_) {
        const QPointF c = CoordinateSpace::toWidget(*crosshair_, height());
        const double half = crosshairLength / 2;
        const QRectF horizontal(c.x() - half, c.y() - crosshairThickness / 2, crosshairLength,
                                crosshairThickness);
        const QRectF vertical(c.x() - crosshairThickness / 2, c.y() - half, crosshairThickness,
                              crosshairLength);
        // One plain rectangle clip at a time: an opaque fill under a rectangle clip is a direct
        // row fill, while under the whole invalidated region the raster engine would split the
        // tall line into span batches handed to other threads.
        for (const QRect& rect : event->region()) {
            if (!QRectF(rect).intersects(horizontal) && !QRectF(rect).intersects(vertical)) {
                continue;
            }
            painter.setClipRect(rect);
            painter.fillRect(horizontal, color);
            painter.fillRect(vertical, color);
        }
        painter.setClipRegion(event->region());
    }
    if (windowBorder_) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(color, windowBorderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(CoordinateSpace::toWidget(*windowBorder_, height()));
    }
}
