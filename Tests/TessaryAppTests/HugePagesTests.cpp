#include "Foundation/HugePages.h"

#include <gtest/gtest.h>

namespace {

QImage sample(QImage::Format format, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgba((x * 37) % 256, (y * 11) % 256, (x + y) % 256, 255 - (x % 3) * 60));
        }
    }
    return image.convertToFormat(format);
}

} // namespace

TEST(HugePages, PremultipliedCopiesMatchQtsConversionWhateverTheSource) {
    const struct {
        const char* name;
        QImage::Format format;
        QSize size;
    } cases[] = {
        {"32-bit RGB", QImage::Format_RGB32, {37, 5}},
        {"premultiplied", QImage::Format_ARGB32_Premultiplied, {41, 7}},
        {"straight alpha", QImage::Format_ARGB32, {13, 3}},
        {"24-bit RGB", QImage::Format_RGB888, {19, 4}},
        {"larger than one 2 MiB page", QImage::Format_RGB32, {1500, 700}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage source = sample(c.format, c.size);
        source.setDevicePixelRatio(2);
        const QImage copy = HugePages::premultipliedCopy(source);
        ASSERT_EQ(copy.format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(copy, source.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        EXPECT_EQ(copy.devicePixelRatio(), 2);
        // A copy: drawing on it leaves the source alone.
        EXPECT_NE(copy.constBits(), source.constBits());
    }
}

TEST(HugePages, UnusedBytesOfRgbComeOutOpaque) {
    QImage source(8, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        auto* row = reinterpret_cast<quint32*>(source.scanLine(y));
        for (int x = 0; x < 8; ++x) {
            row[x] = 0x00123456u + static_cast<quint32>(x); // the X server's zero pad byte
        }
    }
    const QImage copy = HugePages::premultipliedCopy(source);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(copy.pixel(x, 1), 0xff123456u + static_cast<quint32>(x));
    }
    EXPECT_TRUE(HugePages::image(QSize(0, 5), QImage::Format_RGB32).isNull());
}
