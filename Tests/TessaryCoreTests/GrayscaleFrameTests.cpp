#include "TessaryCore/FrameSignature.h"
#include "TessaryCore/GrayscaleFrame.h"

#include <gtest/gtest.h>

#include <numeric>

using tessary::FrameSignature;
using tessary::GrayscaleFrame;

namespace {

GrayscaleFrame frameOf(std::int64_t width, std::int64_t height, std::vector<std::uint8_t> pixels) {
    auto frame = GrayscaleFrame::make(width, height, std::move(pixels));
    EXPECT_TRUE(frame.has_value());
    return *frame;
}

TEST(GrayscaleFrame, IsBuiltOnlyFromConsistentFields) {
    struct Case {
        std::int64_t width;
        std::int64_t height;
        std::size_t length;
        bool valid;
    };
    const Case cases[] = {
        {3, 2, 6, true},
        {1, 1, 1, true},
        {0, 1, 0, false},
        {1, 0, 0, false},
        {-2, -3, 6, false},
        {3, 2, 5, false},
        {3, 2, 7, false},
        {2, 3, 0, false},
        // 2^32 × 2^32 wraps to 0 in 64-bit arithmetic: must not pass for an empty buffer.
        {std::int64_t{1} << 32, std::int64_t{1} << 32, 0, false},
        {std::int64_t{1} << 62, 4, 0, false},
    };
    for (const auto& c : cases) {
        const auto frame = GrayscaleFrame::make(c.width, c.height, std::vector<std::uint8_t>(c.length, 7));
        EXPECT_EQ(frame.has_value(), c.valid) << c.width << "x" << c.height << " with " << c.length;
    }
}

TEST(GrayscaleFrame, RowsAreSlicesAndRowsOutsideAreEmpty) {
    const auto frame = frameOf(3, 2, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(std::vector<std::uint8_t>(frame.row(0).begin(), frame.row(0).end()),
              (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::vector<std::uint8_t>(frame.row(1).begin(), frame.row(1).end()),
              (std::vector<std::uint8_t>{4, 5, 6}));
    EXPECT_TRUE(frame.row(2).empty());
    EXPECT_TRUE(frame.row(-1).empty());
}

TEST(FrameSignature, AveragesBandsWithTruncation) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> row;
        std::int64_t sampleColumns;
        std::vector<std::uint8_t> samples;
    };
    // Pixel x of the ten-wide row is 10·x.
    std::vector<std::uint8_t> tens(10);
    for (std::size_t x = 0; x < tens.size(); ++x) {
        tens[x] = static_cast<std::uint8_t>(10 * x);
    }
    const Case cases[] = {
        // Bands [0,2) [2,5) [5,7) [7,10).
        {"uneven bands", tens, 4, {5, 30, 55, 80}},
        {"one band per column when narrow", tens, 64, tens},
        {"zero gives one band", tens, 0, {45}},
        {"negative gives one band", tens, -3, {45}},
        {"truncates toward zero", {1, 2}, 1, {1}},
        {"full range does not overflow", {255, 255, 255, 254}, 1, {254}},
    };
    for (const auto& c : cases) {
        const auto width = static_cast<std::int64_t>(c.row.size());
        const FrameSignature signature(frameOf(width, 1, c.row), c.sampleColumns);
        EXPECT_EQ(signature.rowCount(), 1) << c.name;
        EXPECT_EQ(signature.columnCount(), static_cast<std::int64_t>(c.samples.size())) << c.name;
        EXPECT_EQ(signature.samples(), c.samples) << c.name;
    }
}

TEST(FrameSignature, KeepsEveryRowOfAWideFrame) {
    // 256 columns into 64 bands of exactly four: row y, band k holds the pixels 4k+y … 4k+y+3 plus one.
    const std::int64_t width = 256;
    const std::int64_t height = 3;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height));
    for (std::int64_t y = 0; y < height; ++y) {
        for (std::int64_t x = 0; x < width; ++x) {
            pixels[static_cast<std::size_t>(y * width + x)] = static_cast<std::uint8_t>((x % 4) + y * 10);
        }
    }
    const FrameSignature signature(frameOf(width, height, pixels), 64);
    ASSERT_EQ(signature.rowCount(), height);
    ASSERT_EQ(signature.columnCount(), 64);
    for (std::int64_t y = 0; y < height; ++y) {
        // (0 + 1 + 2 + 3) / 4 truncates to 1.
        const std::vector<std::uint8_t> expected(64, static_cast<std::uint8_t>(1 + y * 10));
        EXPECT_EQ(std::vector<std::uint8_t>(signature.row(y).begin(), signature.row(y).end()), expected) << y;
    }
    EXPECT_TRUE(signature.row(height).empty());
}

TEST(FrameSignature, EveryBandWidthAveragesExactly) {
    // Four-column bands, narrow and wide uneven bands and single bands thousands of pixels wide take
    // different arithmetic; each must give the truncated mean of its columns.
    struct Case {
        std::int64_t width;
        std::int64_t sampleColumns;
    };
    const Case cases[] = {{256, 64}, {8, 2},    {1000, 64}, {255, 64},
                          {4103, 1}, {4104, 1}, {9000, 2},  {70000, 1}};
    std::uint32_t state = 12345;
    for (const auto& c : cases) {
        const std::int64_t height = 4;
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(c.width * height));
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            state = state * 1664525u + 1013904223u;
            // Row 0 all 255 and row 1 all 254 push sums to their largest; rows 2 and 3 are random.
            pixels[i] = i < std::size_t(c.width)       ? 255
                        : i < std::size_t(2 * c.width) ? 254
                                                       : std::uint8_t(state >> 24);
        }
        const FrameSignature signature(frameOf(c.width, height, pixels), c.sampleColumns);
        const std::int64_t bands = signature.columnCount();
        for (std::int64_t y = 0; y < height; ++y) {
            for (std::int64_t k = 0; k < bands; ++k) {
                const std::int64_t start = c.width * k / bands;
                const std::int64_t end = c.width * (k + 1) / bands;
                std::uint64_t sum = 0;
                for (std::int64_t x = start; x < end; ++x) {
                    sum += pixels[static_cast<std::size_t>(y * c.width + x)];
                }
                ASSERT_EQ(signature.row(y)[static_cast<std::size_t>(k)], sum / std::uint64_t(end - start))
                    << c.width << "/" << c.sampleColumns << " row " << y << " band " << k;
            }
        }
    }
}

TEST(FrameSignature, EqualFramesGiveEqualSignaturesAndHeightsAlwaysShow) {
    std::vector<std::uint8_t> pixels(40 * 6);
    std::iota(pixels.begin(), pixels.end(), std::uint8_t{0});
    const auto a = frameOf(40, 6, pixels);
    const auto b = frameOf(40, 6, pixels);
    EXPECT_EQ(FrameSignature(a, 8), FrameSignature(b, 8));

    // Same pixel values, different shape: the row counts tell the signatures apart.
    const auto taller = frameOf(20, 12, pixels);
    EXPECT_NE(FrameSignature(a, 1).rowCount(), FrameSignature(taller, 1).rowCount());
    EXPECT_NE(FrameSignature(a, 1), FrameSignature(taller, 1));
}

} // namespace
