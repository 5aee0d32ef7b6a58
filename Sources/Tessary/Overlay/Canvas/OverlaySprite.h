#pragma once

#include <QImage>
#include <QPointF>

#include <optional>

class QPainter;
class QRegion;
class QColor;
class QRectF;

// A small moving picture (magnifier, colour panel, pointer readout) composed in an image of its
// own and then copied onto the canvas one invalidated rectangle at a time. Drawn straight onto the
// canvas under the several-rectangle clip of a pointer move, rounded shapes and scaled pixels go
// through span lists that the raster engine splits over its thread pool, and every hand-off costs
// more than the drawing; copying a finished image under a plain rectangle clip is a row copy.
class OverlaySprite {
public:
    // Starts a frame covering `area` (widget points). The origin is moved back onto a whole device
    // pixel, so the copy is never resampled; the pixels start as `plate` when it has the sprite's
    // size, transparent otherwise.
    QImage& begin(const QRectF& area, double scale, const QImage& plate = QImage());

    QImage& image() { return image_; }
    const QImage& image() const { return image_; }
    // Widget point of the image's top-left corner.
    QPointF origin() const { return origin_; }
    // Sprite size in device pixels for an area of `size` points.
    static QSize pixelSize(const QSizeF& size, double scale);

    // A painter on the image that takes widget points.
    void preparePainter(QPainter& painter);

    // Copies the image onto the painter's device inside `region`, one rectangle at a time.
    void paint(QPainter& painter, const QRegion& region) const;

    // A rounded rectangle filling a sprite of `size` points: the plate labels and panels start from.
    static QImage roundedPlate(const QSizeF& size, double scale, double radius, const QColor& fill,
                               const std::optional<QColor>& border = std::nullopt, double borderWidth = 1);

private:
    QImage image_;
    QPointF origin_;
};
