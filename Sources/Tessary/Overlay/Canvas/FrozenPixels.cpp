#include "Overlay/Canvas/FrozenPixels.h"

#include <QColorSpace>

namespace SG = tessary::SelectionGeometry;

tessary::PixelPoint FrozenPixels::pixelAt(tessary::Point point, tessary::Size canvas) const {
    return SG::pixelUnder(point, canvas, image_.width(), image_.height());
}

std::optional<tessary::PixelColor> FrozenPixels::color(tessary::PixelPoint pixel) {
    if (!samplerTried_) {
        samplerTried_ = true;
        sampler_ = PixelColorSampler::make(image_);
    }
    if (!sampler_) {
        return std::nullopt;
    }
    return sampler_->color(pixel.x, pixel.y);
}

QImage FrozenPixels::crop(const tessary::Rect& selection, double canvasHeight) const {
    const auto crop = SG::cropRect(selection, canvasHeight, scale_, image_.width(), image_.height());
    if (!crop) {
        return {};
    }
    const QImage& source = image_;
    if (crop->x == 0 && crop->y == 0 && crop->width == source.width() && crop->height == source.height()) {
        return source;
    }
    if (source.depth() != 32) {
        return source.copy(crop->x, crop->y, crop->width, crop->height);
    }
    // A read-only view into the frozen pixels instead of a copy: a full-display crop at 4K is 33 MB,
    // which the main thread would otherwise fault in page by page. Writers detach as usual; the
    // view keeps the frozen pixels alive through its own reference.
    const uchar* bits =
        source.constBits() + qsizetype(crop->y) * source.bytesPerLine() + qsizetype(crop->x) * 4;
    auto* keepAlive = new QImage(source);
    QImage view(
        bits, crop->width, crop->height, source.bytesPerLine(), source.format(),
        [](void* image) { delete static_cast<QImage*>(image); }, keepAlive);
    view.setDevicePixelRatio(source.devicePixelRatio());
    view.setDotsPerMeterX(source.dotsPerMeterX());
    view.setDotsPerMeterY(source.dotsPerMeterY());
    view.setColorSpace(source.colorSpace());
    return view;
}
