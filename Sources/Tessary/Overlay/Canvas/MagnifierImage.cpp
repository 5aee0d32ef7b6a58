#include "Overlay/Canvas/MagnifierImage.h"

#include "Overlay/Canvas/OverlaySprite.h"
#include "Foundation/Theme.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// p × a / 255 on all four premultiplied channels at once.
inline uint32_t scaled(uint32_t p, uint32_t a) {
    uint32_t rb = (p & 0xff00ffu) * a;
    rb = ((rb + ((rb >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
    uint32_t ag = ((p >> 8) & 0xff00ffu) * a;
    ag = (ag + ((ag >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
    return rb | ag;
}

} // namespace

void MagnifierImage::prepare(QSize pixels, double scale) {
    if (pixels == pixels_ && scale == scale_) {
        return;
    }
    pixels_ = pixels;
    scale_ = scale;
    // Room for the outer half of the outline's stroke.
    margin_ = int(std::ceil(scale));
    const QSize total(pixels.width() + 2 * margin_, pixels.height() + 2 * margin_);
    const QRectF shape(margin_, margin_, pixels.width(), pixels.height());
    QPainterPath outline;
    outline.addRoundedRect(shape, cornerRadius * scale, cornerRadius * scale);

    QImage mask(total, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(outline, Qt::white);
    }
    coverage_.assign(size_t(pixels.width()) * pixels.height(), 0);
    leadingRun_.assign(pixels.height(), 0);
    trailingRun_.assign(pixels.height(), 0);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(mask.constScanLine(y + margin_)) + margin_;
        uint8_t* out = coverage_.data() + size_t(y) * pixels.width();
        for (int x = 0; x < pixels.width(); ++x) {
            out[x] = uint8_t(row[x] >> 24);
        }
        int leading = 0;
        while (leading < pixels.width() && out[leading] != 255) {
            ++leading;
        }
        int trailing = 0;
        while (trailing < pixels.width() - leading && out[pixels.width() - 1 - trailing] != 255) {
            ++trailing;
        }
        leadingRun_[y] = leading;
        trailingRun_[y] = trailing;
    }

    chrome_ = QImage(total, QImage::Format_ARGB32_Premultiplied);
    chrome_.fill(Qt::transparent);
    QPainter painter(&chrome_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::colorPickerPanelBorder(), scale));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    painter.setPen(QPen(Theme::selectionBorder(), 1.5 * scale));
    const QPointF center = shape.center();
    painter.drawLine(QPointF(center.x(), shape.top()), QPointF(center.x(), shape.bottom()));
    painter.drawLine(QPointF(shape.left(), center.y()), QPointF(shape.right(), center.y()));
    painter.end();
    // Drawn in pixels, laid over a sprite that paints in points.
    chrome_.setDevicePixelRatio(scale);
}

void MagnifierImage::compose(OverlaySprite& sprite, const QRectF& rect, double scale, const QImage& source,
                             const tessary::PixelRect& sample) {
    scale = scale > 0 ? scale : 1;
    const QRect device(int(std::lround(rect.x() * scale)), int(std::lround(rect.y() * scale)),
                       std::max(1, int(std::lround(rect.width() * scale))),
                       std::max(1, int(std::lround(rect.height() * scale))));
    prepare(device.size(), scale);
    const QRect withMargin = device.adjusted(-margin_, -margin_, margin_, margin_);
    QImage& image = sprite.begin(QRectF(withMargin.x() / scale, withMargin.y() / scale,
                                        withMargin.width() / scale, withMargin.height() / scale),
                                 scale);
    if (image.size() != chrome_.size()) {
        return;
    }

    // The sample is tiny: copying it first gives one known pixel format whatever the capture's.
    QImage block = source.copy(sample.x, sample.y, sample.width, sample.height);
    if (block.format() != QImage::Format_RGB32 && block.format() != QImage::Format_ARGB32_Premultiplied) {
        block = block.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (block.isNull()) {
        return;
    }
    // Unused bytes of a 32-bit RGB capture may be zero; the copy must come out opaque.
    const uint32_t opaque = block.format() == QImage::Format_RGB32 ? 0xff000000u : 0;
    const int width = pixels_.width();
    const int height = pixels_.height();
    // Each device pixel shows the sample pixel under its centre, as unsmoothed scaling does.
    std::vector<int> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        columns[size_t(x)] = std::min(block.width() - 1, int((x + 0.5) * block.width() / width));
    }
    for (int y = 0; y < height; ++y) {
        const int sourceRow = std::min(block.height() - 1, int((y + 0.5) * block.height() / height));
        const auto* in = reinterpret_cast<const uint32_t*>(block.constScanLine(sourceRow));
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(y + margin_)) + margin_;
        const uint8_t* cover = coverage_.data() + size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            out[x] = in[columns[size_t(x)]] | opaque;
        }
        // Only the ends of rows near the rounded corners are partly outside the outline.
        const int leading = leadingRun_[size_t(y)];
        for (int x = 0; x < leading; ++x) {
            out[x] = scaled(out[x], cover[x]);
        }
        for (int x = std::max(leading, width - trailingRun_[size_t(y)]); x < width; ++x) {
            out[x] = scaled(out[x], cover[x]);
        }
    }
    QPainter painter(&image);
    painter.drawImage(QPointF(0, 0), chrome_);
}
