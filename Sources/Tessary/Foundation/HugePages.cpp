#include "Foundation/HugePages.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

} // namespace

namespace HugePages {

void advise(void* begin, qsizetype size) {
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t from = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t to = (start + static_cast<std::uintptr_t>(size)) & ~(kHugePage - 1);
    if (to > from) {
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    }
}

QImage image(QSize size, QImage::Format format) {
    if (size.isEmpty() || format == QImage::Format_Invalid) {
        return {};
    }
    // A probe image gives the row length Qt would use for this format, with its alignment.
    const qsizetype bytesPerLine = QImage(size.width(), 1, format).bytesPerLine();
    if (bytesPerLine <= 0) {
        return {};
    }
    const auto bytes = static_cast<size_t>(bytesPerLine) * static_cast<size_t>(size.height());
    const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* data = std::aligned_alloc(kHugePage, rounded);
    if (!data) {
        return {};
    }
    advise(data, static_cast<qsizetype>(rounded));
    QImage image(static_cast<uchar*>(data), size.width(), size.height(), bytesPerLine, format, std::free,
                 data);
    if (image.isNull()) {
        std::free(data);
    }
    return image;
}

QImage premultipliedCopy(const QImage& source) {
    const QImage::Format format = source.format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) {
        return source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QImage out = image(source.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) {
        return source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const quint32*>(source.constScanLine(y));
        auto* row = reinterpret_cast<quint32*>(out.scanLine(y));
        if (format == QImage::Format_RGB32) {
            for (int x = 0; x < width; ++x) {
                row[x] = in[x] | 0xff000000u;
            }
        } else {
            std::memcpy(row, in, static_cast<size_t>(width) * 4);
        }
    }
    out.setDevicePixelRatio(source.devicePixelRatio());
    out.setDotsPerMeterX(source.dotsPerMeterX());
    out.setDotsPerMeterY(source.dotsPerMeterY());
    return out;
}

} // namespace HugePages
