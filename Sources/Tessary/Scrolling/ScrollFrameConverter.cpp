#include "Scrolling/ScrollFrameConverter.h"

#include <QImage>

#include <algorithm>
#include <vector>

namespace ScrollFrameConverter {

namespace {

// Rec. 601 luma in 16-bit fixed point; the weights add up to 65536, so white stays 255.
inline std::uint8_t luminance(QRgb pixel) {
    const auto value = 19595u * unsigned(qRed(pixel)) + 38470u * unsigned(qGreen(pixel)) +
                       7471u * unsigned(qBlue(pixel)) + 32768u;
    return static_cast<std::uint8_t>(value >> 16);
}

} // namespace

std::optional<tessary::GrayscaleFrame> grayscale(const QImage& image) {
    const int sourceWidth = image.width();
    const int height = image.height();
    if (image.isNull() || sourceWidth <= 0 || height <= 0) {
        return std::nullopt;
    }
    const int width = std::min(sourceWidth, maximumGrayscaleWidth);

    // Premultiplied pixels are the colour composited over black, as if drawn into a zeroed grey buffer.
    QImage colour = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (width != sourceWidth && !colour.isNull()) {
        // Smooth scaling averages the columns each output column covers; with the height unchanged every
        // row maps to itself.
        colour = colour.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (colour.isNull() || colour.width() != width || colour.height() != height) {
        return std::nullopt;
    }
    if (colour.format() != QImage::Format_ARGB32_Premultiplied) {
        colour.convertTo(QImage::Format_ARGB32_Premultiplied);
    }

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    auto* target = pixels.data();
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            *target++ = luminance(row[x]);
        }
    }
    return tessary::GrayscaleFrame::make(width, height, std::move(pixels));
}

} // namespace ScrollFrameConverter
