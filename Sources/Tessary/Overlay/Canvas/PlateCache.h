#pragma once

#include <QImage>

#include <optional>

class QColor;
class QSizeF;

// The rounded plate a sprite starts from, redrawn only when its size or the scale changes.
class PlateCache {
public:
    const QImage& plate(const QSizeF& area, double scale, double radius, const QColor& fill,
                        const std::optional<QColor>& border);

private:
    QImage plate_;
};
