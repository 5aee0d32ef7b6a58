#include "Overlay/Canvas/PlateCache.h"

#include "Overlay/Canvas/OverlaySprite.h"

#include <QColor>
#include <QSizeF>

const QImage& PlateCache::plate(const QSizeF& area, double scale, double radius, const QColor& fill,
                                const std::optional<QColor>& border) {
    if (plate_.size() != OverlaySprite::pixelSize(area, scale) || plate_.devicePixelRatio() != scale) {
        plate_ = OverlaySprite::roundedPlate(area, scale, radius, fill, border);
    }
    return plate_;
}
