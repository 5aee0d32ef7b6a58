#include "Overlay/Annotations/MosaicImage.h"
#include "Overlay/Annotations/MosaicImageCache.h"

#include <gtest/gtest.h>

namespace {

QImage columns(int width, int height, const std::vector<QColor>& colors, QImage::Format format) {
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixelColor(x, y, colors[static_cast<std::size_t>(x * colors.size() / width)]);
        }
    }
    return image;
}

QImage checkerboard(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixelColor(x, y, (x + y) % 2 ? Qt::white : Qt::black);
        }
    }
    return image;
}

bool uniformRows(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 1; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(0, y)) {
                return false;
            }
        }
    }
    return true;
}

TEST(MosaicImageTest, BlocksAverageAndKeepTheSize) {
    // Ten pixels wide with 22-pixel blocks: one block across, so every row is a single colour.
    const QImage narrow = MosaicImage::pixelated(checkerboard(10, 30), 22);
    ASSERT_EQ(narrow.size(), QSize(10, 30));
    EXPECT_TRUE(uniformRows(narrow));
    EXPECT_NEAR(qGray(narrow.pixel(0, 0)), 128, 3);

    // Halves of exactly one block each stay pure.
    const QImage halves =
        MosaicImage::pixelated(columns(20, 4, {Qt::black, Qt::white}, QImage::Format_RGB888), 10);
    ASSERT_EQ(halves.size(), QSize(20, 4));
    EXPECT_NEAR(qGray(halves.pixel(9, 0)), 0, 1);
    EXPECT_NEAR(qGray(halves.pixel(10, 3)), 255, 1);

    // Blocks below two pixels are made two: a one-pixel checkerboard turns grey.
    for (const double block : {0.0, 1.0, -5.0}) {
        const QImage grey = MosaicImage::pixelated(checkerboard(8, 8), block);
        for (const QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(7, 7)}) {
            EXPECT_NEAR(qGray(grey.pixel(p)), 128, 3) << block;
        }
    }

    // Each block is flat: 100 pixels in 4 blocks of 25 made of 5 colour bands that do not line up.
    const QImage bands = MosaicImage::pixelated(
        columns(100, 10, {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan}, QImage::Format_ARGB32), 25);
    for (int block = 0; block < 4; ++block) {
        for (int x = block * 25; x < block * 25 + 25; ++x) {
            EXPECT_EQ(bands.pixel(x, 5), bands.pixel(block * 25, 0)) << x;
        }
    }
    EXPECT_NE(bands.pixel(0, 0), bands.pixel(99, 0));

    EXPECT_TRUE(MosaicImage::pixelated(QImage(), 8).isNull());
}

TEST(MosaicImageCacheTest, BuildsEachWeightOnceAndRetriesFailures) {
    QImage gradient(200, 100, QImage::Format_RGB32);
    for (int x = 0; x < gradient.width(); ++x) {
        for (int y = 0; y < gradient.height(); ++y) {
            gradient.setPixel(x, y, qRgb(x, x, x));
        }
    }
    MosaicImageCache cache(gradient, 2);
    EXPECT_FALSE(cache.contains(tessary::AnnotationWeight::light));
    const QImage first = cache.image(tessary::AnnotationWeight::light);
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(cache.contains(tessary::AnnotationWeight::light));
    EXPECT_FALSE(cache.contains(tessary::AnnotationWeight::heavy));
    EXPECT_EQ(cache.image(tessary::AnnotationWeight::light).cacheKey(), first.cacheKey());
    // 8 points at 2 pixels per point: 16-pixel blocks, so 200 pixels make round(12.5) = 13 blocks across.
    int changes = 0;
    for (int x = 1; x < first.width(); ++x) {
        changes += first.pixel(x, 0) != first.pixel(x - 1, 0);
    }
    EXPECT_EQ(changes, 12);

    MosaicImageCache empty(QImage(), 1);
    EXPECT_TRUE(empty.image(tessary::AnnotationWeight::medium).isNull());
    EXPECT_FALSE(empty.contains(tessary::AnnotationWeight::medium));
}

} // namespace
