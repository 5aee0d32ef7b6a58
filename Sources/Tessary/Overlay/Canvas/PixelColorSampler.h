#pragma once

#include "TessaryCore/PixelColor.h"

#include <QImage>

#include <optional>

// Reads single pixel colours straight from a 32-bit display image.
class PixelColorSampler {
public:
    enum class Format { bgra, rgba };

    // Only 8-bit, 4-byte pixels with alpha (or padding) first or last; anything else yields nothing.
    static std::optional<PixelColorSampler> make(const QImage& image);

    // Nothing outside the image.
    std::optional<tessary::PixelColor> color(int pixelX, int pixelY) const;

    Format format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    PixelColorSampler(QImage image, Format format);

    // Shares the image's bytes (copy-on-write keeps them unchanged for us).
    QImage image_;
    const uchar* bytes_ = nullptr;
    qsizetype bytesPerRow_ = 0;
    int width_ = 0;
    int height_ = 0;
    Format format_;
};
