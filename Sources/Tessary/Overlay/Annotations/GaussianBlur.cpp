#include "Overlay/Annotations/GaussianBlur.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace GaussianBlur {

namespace {

// Radii of three boxes whose repeated application approximates a Gaussian of this sigma.
std::array<int, 3> boxRadii(double sigma) {
    constexpr int passes = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / passes + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) {
        --lower;
    }
    const int upper = lower + 2;
    const double m =
        (12 * sigma * sigma - passes * lower * lower - 4 * passes * lower - 3 * passes) / (-4.0 * lower - 4);
    const int lowerCount = static_cast<int>(std::lround(m));
    std::array<int, 3> radii{};
    for (int i = 0; i < passes; ++i) {
        radii[static_cast<std::size_t>(i)] = ((i < lowerCount ? lower : upper) - 1) / 2;
    }
    return radii;
}

// Horizontal box pass of one row. The division by the box width is a multiplication by its 16-bit
// fixed-point reciprocal.
void boxRow(const uchar* in, uchar* out, int count, int radius, std::uint32_t reciprocal) {
    std::uint32_t sum = 0;
    for (int i = 0; i < std::min(radius, count); ++i) {
        sum += in[i];
    }
    for (int i = 0; i < count; ++i) {
        if (i + radius < count) {
            sum += in[i + radius];
        }
        out[i] = static_cast<uchar>(std::min<std::uint32_t>((sum * reciprocal + (1U << 15)) >> 16, 255));
        if (i - radius >= 0) {
            sum -= in[i - radius];
        }
    }
}

// Vertical box pass over whole rows at once, so memory is read in order.
void boxColumns(const uchar* in, uchar* out, int width, int height, std::ptrdiff_t stride, int radius,
                std::uint32_t reciprocal, std::vector<std::uint32_t>& sums) {
    std::fill(sums.begin(), sums.end(), 0U);
    for (int y = 0; y < std::min(radius, height); ++y) {
        const uchar* row = in + y * stride;
        for (int x = 0; x < width; ++x) {
            sums[static_cast<std::size_t>(x)] += row[x];
        }
    }
    for (int y = 0; y < height; ++y) {
        if (y + radius < height) {
            const uchar* entering = in + (y + radius) * stride;
            for (int x = 0; x < width; ++x) {
                sums[static_cast<std::size_t>(x)] += entering[x];
            }
        }
        uchar* target = out + y * stride;
        for (int x = 0; x < width; ++x) {
            target[x] = static_cast<uchar>(std::min<std::uint32_t>(
                (sums[static_cast<std::size_t>(x)] * reciprocal + (1U << 15)) >> 16, 255));
        }
        if (y - radius >= 0) {
            const uchar* leaving = in + (y - radius) * stride;
            for (int x = 0; x < width; ++x) {
                sums[static_cast<std::size_t>(x)] -= leaving[x];
            }
        }
    }
}

} // namespace

void blurSingleChannel(QImage& image, double sigma) {
    if (sigma < 0.1 || image.isNull() ||
        (image.format() != QImage::Format_Alpha8 && image.format() != QImage::Format_Grayscale8)) {
        return;
    }
    const int width = image.width();
    const int height = image.height();
    uchar* bits = image.bits();
    const auto stride = static_cast<std::ptrdiff_t>(image.bytesPerLine());
    std::vector<uchar> scratch(static_cast<std::size_t>(stride * height));
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width));
    for (const int radius : boxRadii(sigma)) {
        if (radius <= 0) {
            continue;
        }
        const auto reciprocal =
            static_cast<std::uint32_t>((1U << 16) / static_cast<unsigned>(2 * radius + 1));
        for (int y = 0; y < height; ++y) {
            boxRow(bits + y * stride, scratch.data() + y * stride, width, radius, reciprocal);
        }
        boxColumns(scratch.data(), bits, width, height, stride, radius, reciprocal, sums);
    }
}

} // namespace GaussianBlur
