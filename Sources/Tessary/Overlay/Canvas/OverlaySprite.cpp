#include "Overlay/Canvas/OverlaySprite.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <cmath>
#include <cstring>

QSize OverlaySprite::pixelSize(const QSizeF& size, double scale) {
    // A hair below the next integer still counts as that integer, so 132 points at 1.5 are 198 pixels.
    const auto pixels = [scale](double points) { return std::max(1, int(std::ceil(points * scale - 1e-6))); };
    return {pixels(size.width()), pixels(size.height())};
}

QImage& OverlaySprite::begin(const QRectF& area, double scale, const QImage& plate) {
    scale = scale > 0 ? scale : 1;
    origin_ =
        QPointF(std::floor(area.x() * scale + 1e-6) / scale, std::floor(area.y() * scale + 1e-6) / scale);
    const QSize size = pixelSize(area.size(), scale);
    // The image is reused from frame to frame: fresh memory is slow to fault in.
    if (image_.size() != size || !image_.isDetached()) {
        image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }
    image_.setDevicePixelRatio(scale);
    if (plate.size() == size && plate.format() == image_.format()) {
        std::memcpy(image_.bits(), plate.constBits(), size_t(plate.sizeInBytes()));
    } else {
        image_.fill(Qt::transparent);
    }
    return image_;
}

void OverlaySprite::preparePainter(QPainter& painter) {
    painter.begin(&image_);
    painter.translate(-origin_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
}

void OverlaySprite::paint(QPainter& painter, const QRegion& region) const {
    if (image_.isNull()) {
        return;
    }
    const double scale = image_.devicePixelRatio();
    const QRect bounds =
        QRectF(origin_, QSizeF(image_.width() / scale, image_.height() / scale)).toAlignedRect();
    painter.save();
    for (const QRect& rect : region) {
        const QRect target = rect.intersected(bounds);
        if (target.isEmpty()) {
            continue;
        }
        painter.setClipRect(target);
        painter.drawImage(origin_, image_);
    }
    painter.restore();
}

QImage OverlaySprite::roundedPlate(const QSizeF& size, double scale, double radius, const QColor& fill,
                                   const std::optional<QColor>& border, double borderWidth) {
    scale = scale > 0 ? scale : 1;
    QImage plate(pixelSize(size, scale), QImage::Format_ARGB32_Premultiplied);
    plate.setDevicePixelRatio(scale);
    plate.fill(Qt::transparent);
    QPainter painter(&plate);
    painter.setRenderHint(QPainter::Antialiasing);
    // A border is stroked centred on the shape's edge: the shape is inset so its outer half fits.
    const double inset = border ? std::ceil(borderWidth / 2) : 0;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(0, 0), size).adjusted(inset, inset, -inset, -inset), radius, radius);
    painter.fillPath(shape, fill);
    if (border) {
        painter.setPen(QPen(*border, borderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape);
    }
    return plate;
}
