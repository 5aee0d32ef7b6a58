#include "Output/PngEncoder.h"

#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>

namespace {

// An independent reading of the file: every chunk's CRC, the header fields, and the pixels
// from the inflated IDAT data with the Sub filter undone.
struct Decoded {
    bool valid = false;
    QString error;
    int colorType = -1;
    quint32 dotsPerMetreX = 0, dotsPerMetreY = 0;
    int idatChunks = 0;
    QImage pixels; // RGBA8888 or RGB888
};

quint32 bigEndian(const uchar* at) {
    return qFromBigEndian<quint32>(at);
}

Decoded readPng(const QByteArray& png) {
    Decoded result;
    const auto* data = reinterpret_cast<const uchar*>(png.constData());
    const qsizetype size = png.size();
    if (size < 8 || png.left(8) != QByteArray("\x89PNG\r\n\x1a\n", 8)) {
        result.error = "signature";
        return result;
    }
    quint32 width = 0, height = 0;
    QByteArray idat;
    QList<QByteArray> order;
    qsizetype at = 8;
    while (at + 12 <= size) {
        const quint32 length = bigEndian(data + at);
        if (at + 12 + static_cast<qsizetype>(length) > size) {
            result.error = "truncated chunk";
            return result;
        }
        const QByteArray type(reinterpret_cast<const char*>(data + at + 4), 4);
        const uchar* body = data + at + 8;
        const auto crc = static_cast<quint32>(crc32(0, data + at + 4, length + 4));
        if (crc != bigEndian(body + length)) {
            result.error = "bad CRC in " + QString::fromLatin1(type);
            return result;
        }
        order.append(type);
        if (type == "IHDR") {
            width = bigEndian(body);
            height = bigEndian(body + 4);
            if (body[8] != 8 || body[10] != 0 || body[11] != 0 || body[12] != 0) {
                result.error = "unexpected IHDR fields";
                return result;
            }
            result.colorType = body[9];
        } else if (type == "pHYs") {
            result.dotsPerMetreX = bigEndian(body);
            result.dotsPerMetreY = bigEndian(body + 4);
            if (body[8] != 1) {
                result.error = "pHYs unit";
                return result;
            }
        } else if (type == "IDAT") {
            idat.append(reinterpret_cast<const char*>(body), length);
            ++result.idatChunks;
        }
        at += 12 + length;
    }
    if (at != size || order.isEmpty() || order.first() != "IHDR" || order.last() != "IEND") {
        result.error = "chunk order or trailing bytes";
        return result;
    }
    const int channels = result.colorType == 6 ? 4 : result.colorType == 2 ? 3 : 0;
    if (channels == 0) {
        result.error = "colour type";
        return result;
    }
    const qsizetype rowBytes = 1 + static_cast<qsizetype>(width) * channels;
    QByteArray raw(rowBytes * height + 1, '\0'); // one spare byte: too much data must show
    uLongf rawLength = static_cast<uLongf>(raw.size());
    if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawLength,
                   reinterpret_cast<const Bytef*>(idat.constData()),
                   static_cast<uLong>(idat.size())) != Z_OK ||
        rawLength != static_cast<uLongf>(rowBytes * height)) {
        result.error = "IDAT does not inflate to the image size";
        return result;
    }
    result.pixels = QImage(static_cast<int>(width), static_cast<int>(height),
                           channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    for (quint32 y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uchar*>(raw.constData()) + y * rowBytes;
        if (row[0] != 1) {
            result.error = "row not Sub-filtered";
            return result;
        }
        uchar* out = result.pixels.scanLine(static_cast<int>(y));
        for (qsizetype i = 0; i < rowBytes - 1; ++i) {
            out[i] = static_cast<uchar>(row[1 + i] + (i >= channels ? out[i - channels] : 0));
        }
    }
    result.valid = true;
    return result;
}

QImage filled(int width, int height, QImage::Format format, const std::function<QRgb(int, int)>& pixel) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, pixel(x, y));
        }
    }
    return image.convertToFormat(format);
}

QRgb gradient(int x, int y) {
    return qRgb((x * 7) % 256, (y * 13) % 256, (x + y) % 256);
}

QRgb translucent(int x, int y) {
    return qRgba((x * 7) % 256, (y * 13) % 256, (x + y) % 256, (x * 3 + y) % 256);
}

QRgb noise(int x, int y) {
    // A cheap integer hash: incompressible enough, and fast to build for large images.
    quint32 h = static_cast<quint32>(y) * 0x9E3779B1u ^ static_cast<quint32>(x) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h | 0xFF000000u;
}

} // namespace

TEST(PngEncoderFile, RoundTripsExactlyAcrossFormatsAndSizes) {
    const int rowsBelowThreshold = static_cast<int>(PngEncoder::kParallelThresholdBytes / (1 + 256 * 3));
    const struct {
        const char* name;
        int width, height;
        QImage::Format format;
        QRgb (*pixel)(int, int);
        bool alpha;
    } cases[] = {
        {"1x1", 1, 1, QImage::Format_RGB32, gradient, false},
        {"1xN", 1, 57, QImage::Format_ARGB32, translucent, true},
        {"Nx1", 61, 1, QImage::Format_RGB32, gradient, false},
        {"odd width rgb32", 37, 23, QImage::Format_RGB32, gradient, false},
        {"argb32 alpha", 38, 21, QImage::Format_ARGB32, translucent, true},
        {"premultiplied partial alpha", 35, 29, QImage::Format_ARGB32_Premultiplied, translucent, true},
        {"opaque premultiplied drops alpha", 33, 17, QImage::Format_ARGB32_Premultiplied, gradient, false},
        {"opaque argb32 drops alpha", 33, 17, QImage::Format_ARGB32, gradient, false},
        {"rgba8888", 39, 19, QImage::Format_RGBA8888, translucent, true},
        {"rgbx8888", 39, 19, QImage::Format_RGBX8888, gradient, false},
        {"rgb888 odd width", 41, 13, QImage::Format_RGB888, gradient, false},
        {"grey", 45, 11, QImage::Format_Grayscale8, gradient, false},
        {"rgb16", 30, 10, QImage::Format_RGB16, gradient, false},
        {"rgba64 translucent", 30, 10, QImage::Format_RGBA64, translucent, true},
        {"just below parallel", 256, rowsBelowThreshold, QImage::Format_RGB32, noise, false},
        {"just above parallel", 256, rowsBelowThreshold + 1, QImage::Format_RGB32, noise, false},
        {"odd rows above parallel", 255, 2 * rowsBelowThreshold + 1, QImage::Format_ARGB32, translucent,
         true},
        {"large noisy", 1201, 803, QImage::Format_RGB32, noise, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage source = filled(c.width, c.height, c.format, c.pixel);
        const QByteArray png = PngEncoder::encode(source);
        const Decoded decoded = readPng(png);
        ASSERT_TRUE(decoded.valid) << decoded.error.toStdString();
        EXPECT_EQ(decoded.colorType, c.alpha ? 6 : 2);
        EXPECT_EQ(decoded.dotsPerMetreX, 2835u);
        EXPECT_EQ(decoded.dotsPerMetreY, 2835u);
        EXPECT_EQ(decoded.pixels, source.convertToFormat(decoded.pixels.format()));

        QImage viaQt;
        ASSERT_TRUE(viaQt.loadFromData(png, "PNG"));
        EXPECT_EQ(viaQt.dotsPerMeterX(), 2835);
        EXPECT_EQ(viaQt.hasAlphaChannel(), c.alpha);
        EXPECT_EQ(viaQt.convertToFormat(QImage::Format_RGBA8888),
                  source.convertToFormat(QImage::Format_RGBA8888));

        // Streamed to a sink, in pieces, the bytes are the same file.
        QByteArray streamed;
        int pieces = 0;
        EXPECT_TRUE(PngEncoder::encodeTo(source, [&](const char* data, qsizetype size) {
            streamed.append(data, size);
            ++pieces;
            return true;
        }));
        EXPECT_EQ(streamed, png);
        EXPECT_GE(pieces, 3); // header, data, end
    }
}

TEST(PngEncoderFile, ARefusingSinkStopsTheEncoding) {
    const QImage large = filled(1201, 803, QImage::Format_RGB32, noise);
    const QImage small = filled(40, 30, QImage::Format_RGB32, gradient);
    for (const QImage* image : {&small, &large}) {
        int total = 0;
        PngEncoder::encodeTo(*image, [&](const char*, qsizetype) { return ++total, true; });
        for (int refuseAt = 1; refuseAt <= total; ++refuseAt) {
            SCOPED_TRACE(testing::Message()
                         << image->width() << " wide, refusing piece " << refuseAt << " of " << total);
            int calls = 0;
            const bool ok =
                PngEncoder::encodeTo(*image, [&](const char*, qsizetype) { return ++calls != refuseAt; });
            EXPECT_FALSE(ok);
            EXPECT_EQ(calls, refuseAt); // nothing is handed on after a refusal
        }
    }
    EXPECT_FALSE(PngEncoder::encodeTo(QImage(), [](const char*, qsizetype) { return true; }));
}

TEST(PngEncoderFile, LargeImagesSpanManyDataChunks) {
    const QImage source = filled(1201, 803, QImage::Format_RGB32, noise);
    const Decoded decoded = readPng(PngEncoder::encode(source));
    ASSERT_TRUE(decoded.valid) << decoded.error.toStdString();
    // Noise barely compresses: ~2.9 MB of pixels cannot fit in a few 256 KiB chunks.
    EXPECT_GT(decoded.idatChunks, 8);
}

// Every premultiplied value with every alpha must unpremultiply as Qt's own conversion does.
TEST(PngEncoderFile, UnpremultipliesEveryValueAsQtDoes) {
    QImage source(256, 256, QImage::Format_ARGB32_Premultiplied);
    for (int alpha = 0; alpha < 256; ++alpha) {
        auto* row = reinterpret_cast<QRgb*>(source.scanLine(alpha));
        for (int value = 0; value < 256; ++value) {
            const int c = std::min(value, alpha);
            row[value] = qRgba(c, alpha - c, c / 2, alpha);
        }
    }
    const Decoded decoded = readPng(PngEncoder::encode(source));
    ASSERT_TRUE(decoded.valid) << decoded.error.toStdString();
    EXPECT_EQ(decoded.pixels, source.convertToFormat(QImage::Format_RGBA8888));
}
