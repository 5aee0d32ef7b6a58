#include "Overlay/Annotations/MosaicImageCache.h"

#include "Overlay/Annotations/MosaicImage.h"

#include <utility>

MosaicImageCache::MosaicImageCache(QImage displayImage, double scale)
    : display_(std::move(displayImage)), scale_(scale) {}

QImage MosaicImageCache::image(tessary::AnnotationWeight weight) {
    auto& slot = images_.at(static_cast<std::size_t>(weight));
    if (slot.isNull()) {
        slot = MosaicImage::pixelated(display_, tessary::mosaicBlockSize(weight) * scale_);
    }
    return slot;
}

bool MosaicImageCache::contains(tessary::AnnotationWeight weight) const {
    return !images_.at(static_cast<std::size_t>(weight)).isNull();
}
