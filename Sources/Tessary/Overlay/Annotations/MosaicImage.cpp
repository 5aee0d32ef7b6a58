#include "Overlay/Annotations/MosaicImage.h"

#include <QColorSpace>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace MosaicImage {

namespace {

int reducedLength(int length, double block) {
    const auto reduced = std::lround(length / block);
    return reduced < 2 ? 1 : static_cast<int>(reduced);
}

// Nearest-neighbour enlargement: every small pixel becomes a block. Rows inside one block are equal,
// so each is built once and copied.
QImage enlarged(const QImage& small, int width, int height) {
    QImage out(width, height, small.format());
    if (out.isNull()) {
        return {};
    }
    const int smallWidth = small.width();
    const int smallHeight = small.height();
    std::vector<int> sourceColumn(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        sourceColumn[static_cast<std::size_t>(x)] =
            static_cast<int>((2LL * x + 1) * smallWidth / (2LL * width));
    }
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    int previousSourceRow = -1;
    for (int y = 0; y < height; ++y) {
        const int sourceRow = static_cast<int>((2LL * y + 1) * smallHeight / (2LL * height));
        auto* target = reinterpret_cast<quint32*>(out.scanLine(y));
        if (sourceRow == previousSourceRow) {
            std::memcpy(target, out.constScanLine(y - 1), rowBytes);
            continue;
        }
        const auto* source = reinterpret_cast<const quint32*>(small.constScanLine(sourceRow));
        for (int x = 0; x < width; ++x) {
            target[x] = source[sourceColumn[static_cast<std::size_t>(x)]];
        }
        previousSourceRow = sourceRow;
    }
    return out;
}

} // namespace

QImage pixelated(const QImage& image, double blockSizeInPixels) {
    if (image.isNull()) {
        return {};
    }
    const double block = std::max(blockSizeInPixels, 2.0);
    const QImage source =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied
            ? image
            : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull()) {
        return {};
    }
    // Smooth reduction averages the area each small pixel covers.
    const QImage small =
        source.scaled(reducedLength(source.width(), block), reducedLength(source.height(), block),
                      Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (small.isNull()) {
        return {};
    }
    QImage result = enlarged(small.convertToFormat(source.format()), source.width(), source.height());
    if (result.isNull()) {
        return {};
    }
    result.setColorSpace(image.colorSpace());
    result.setDevicePixelRatio(image.devicePixelRatio());
    return result;
}

} // namespace MosaicImage
