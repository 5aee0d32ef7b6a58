#include "Overlay/Session/OverlayBackdropView.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Theme.h"

#include <QFutureWatcher>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

OverlayBackdropView::OverlayBackdropView(const CapturedDisplay& captured, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    image_ = captured.image;
    scale_ = captured.scale > 0 ? captured.scale : 1;
    if (image_.isNull()) {
        return;
    }
    // Fresh memory for a display-sized image is slow to fault in (a 4K copy can take longer than
    // the rest of the first frame), so the copy is made off the main thread; until it arrives the
    // dimming is blended on the spot.
    QFuture<QImage> future = QtConcurrent::run([image = image_] {
        QImage dimmed = image.copy();
        QPainter painter(&dimmed);
        painter.fillRect(dimmed.rect(), Theme::dimColor());
        return dimmed;
    });
    // A watcher owned by the view: a session that ends before the copy arrives takes it along, where
    // a continuation on a destroyed context would leave its promise unfinished.
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher] {
        dimmed_ = watcher->result();
        watcher->deleteLater();
    });
    watcher->setFuture(future);
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
    paintDimming(painter, cutout, target);
}

void OverlayBackdropView::paintDimming(QPainter& painter, const QRectF& cutout, const QRect& target) {
    const QColor dim = Theme::dimColor();
    if (cutout.isEmpty() || !cutout.intersects(QRectF(target))) {
        painter.fillRect(target, dim);
        return;
    }
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(QRectF(target));
    path.addRect(cutout.intersected(QRectF(target).adjusted(-1, -1, 1, 1)));
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.fillPath(path, dim);
    painter.restore();
}

QRect OverlayBackdropView::undimmedPixels(const QRectF& widgetCutout, double scale) {
    if (widgetCutout.isEmpty()) {
        return {};
    }
    // Pixel x is inside when x0 < x + 0.5 <= x1 (a centre on the far edge counts, one on the near
    // edge does not, as the raster engine's aliased fill decides): floor(x0 - 0.5) < x <= floor(x1 - 0.5).
    const auto first = [scale](double edge) { return int(std::floor(edge * scale - 0.5)) + 1; };
    const int left = first(widgetCutout.left());
    const int top = first(widgetCutout.top());
    const int right = first(widgetCutout.right());
    const int bottom = first(widgetCutout.bottom());
    if (right <= left || bottom <= top) {
        return {};
    }
    return QRect(left, top, right - left, bottom - top);
}

void OverlayBackdropView::paintEvent(QPaintEvent* event) {
    if (paintObserver_) {
        paintObserver_();
    }
    QPainter painter(this);
    const QRectF cutout = widgetCutout();
    const QRect undimmed = undimmedPixels(cutout, scale_);
    for (const QRect& rect : event->region()) {
        const QRect target = rect.intersected(this->rect());
        if (target.isEmpty()) {
            continue;
        }
        // A plain rectangle clip (not the whole invalidated region) keeps the raster engine on its
        // row-copy path: no span lists, nothing handed to other threads.
        painter.setClipRect(target);
        const QRectF source(target.x() * scale_, target.y() * scale_, target.width() * scale_,
                            target.height() * scale_);
        if (dimmed_.isNull()) {
            painter.drawImage(QRectF(target), image_, source);
            paintDimming(painter, cutout, target);
            continue;
        }
        painter.drawImage(QRectF(target), dimmed_, source);
        const QRect clear = undimmed.intersected(source.toAlignedRect());
        if (!clear.isEmpty()) {
            painter.drawImage(QRectF(clear.x() / scale_, clear.y() / scale_, clear.width() / scale_,
                                     clear.height() / scale_),
                              image_, QRectF(clear));
        }
    }
}
