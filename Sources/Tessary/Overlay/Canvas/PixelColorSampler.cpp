#include "Overlay/Canvas/PixelColorSampler.h"

#include <QtEndian>

std::optional<PixelColorSampler> PixelColorSampler::make(const QImage& image) {
    if (image.isNull() || image.depth() != 32) {
        return std::nullopt;
    }
    switch (image.format()) {
    // 0xAARRGGBB words: in little-endian memory blue comes first.
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB32:
        if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
            return std::nullopt;
        }
        return PixelColorSampler(image, Format::bgra);
    // Byte-ordered red, green, blue, alpha on every platform.
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX8888:
        return PixelColorSampler(image, Format::rgba);
    default:
        return std::nullopt;
    }
}

PixelColorSampler::PixelColorSampler(QImage image, Format format)
    : image_(std::move(image)), bytes_(image_.constBits()), bytesPerRow_(image_.bytesPerLine()),
      width_(image_.width()), height_(image_.height()), format_(format) {}

std::optional<tessary::PixelColor> PixelColorSampler::color(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return std::nullopt;
    }
    const uchar* p = bytes_ + y * bytesPerRow_ + qsizetype(x) * 4;
    if (format_ == Format::bgra) {
        return tessary::PixelColor{p[2], p[1], p[0]};
    }
    return tessary::PixelColor{p[0], p[1], p[2]};
}
