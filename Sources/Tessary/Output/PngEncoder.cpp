#include "Output/PngEncoder.h"

#include <QImage>

#include <csetjmp>
#include <png.h>

namespace {

void appendToBuffer(png_structp png, png_bytep data, png_size_t length) {
    auto* buffer = static_cast<QByteArray*>(png_get_io_ptr(png));
    buffer->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
}

void flushNothing(png_structp) {}

// Runs the libpng calls in a frame without C++ objects that need destructors, because
// libpng reports errors by longjmp.
bool encodeRows(const QImage& image, bool withAlpha, QByteArray* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, appendToBuffer, flushNothing);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    const auto width = static_cast<png_uint_32>(image.width());
    const auto height = static_cast<png_uint_32>(image.height());
    png_set_IHDR(png, info, width, height, 8, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    // 72 dpi = 2835 pixels per metre.
    png_set_pHYs(png, info, 2835, 2835, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_write_row(png, const_cast<png_bytep>(image.constScanLine(static_cast<int>(y))));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

namespace PngEncoder {

QByteArray encode(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    const bool withAlpha = image.hasAlphaChannel();
    // Byte-ordered formats match libpng's row layout, so rows go out without per-pixel work.
    const QImage rows = image.convertToFormat(withAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(rows.sizeInBytes() / 3));
    if (!encodeRows(rows, withAlpha, &out)) {
        return {};
    }
    return out;
}

} // namespace PngEncoder
