#include "TessaryCore/FrameSignature.h"

#include <algorithm>

namespace tessary {

namespace {

// Bands up to this wide divide by a multiply and shift: with m = ⌈2^32 / w⌉, (sum × m) >> 32 equals
// sum / w for every sum < 2^32 / w, which covers 255 × w exactly while w² < 2^32 / 255.
constexpr std::int64_t widestReciprocalBand = 4103;

struct Band {
    std::int64_t start;
    std::int64_t end;
    std::uint64_t reciprocal; // ⌈2^32 / width⌉
};

template <bool useReciprocal>
void fillSamples(const std::uint8_t* source, std::int64_t width, std::int64_t rows,
                 const std::vector<Band>& bands, std::uint8_t* target) {
    for (std::int64_t y = 0; y < rows; ++y) {
        const std::uint8_t* row = source + y * width;
        for (const Band& band : bands) {
            std::uint64_t sum = 0;
            for (std::int64_t x = band.start; x < band.end; ++x) {
                sum += row[x];
            }
            if constexpr (useReciprocal) {
                *target++ = static_cast<std::uint8_t>((sum * band.reciprocal) >> 32);
            } else {
                *target++ =
                    static_cast<std::uint8_t>(sum / static_cast<std::uint64_t>(band.end - band.start));
            }
        }
    }
}

// Frames 256 wide with 64 bands, the usual case, have bands of exactly four columns.
void fillFourColumnSamples(const std::uint8_t* source, std::size_t count, std::uint8_t* target) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* band = source + 4 * i;
        target[i] = static_cast<std::uint8_t>((unsigned{band[0]} + band[1] + band[2] + band[3]) >> 2);
    }
}

} // namespace

FrameSignature::FrameSignature(const GrayscaleFrame& frame, std::int64_t sampleColumns)
    : rowCount_(frame.height()),
      columnCount_(std::max<std::int64_t>(1, std::min(frame.width(), sampleColumns))) {
    const std::int64_t width = frame.width();
    const std::int64_t bandCount = columnCount_;

    std::vector<Band> bands(static_cast<std::size_t>(bandCount));
    std::int64_t widest = 0;
    for (std::int64_t k = 0; k < bandCount; ++k) {
        // Products stay far below the 64-bit range: a frame's width is bounded by its buffer's length.
        const std::int64_t start = (width * k) / bandCount;
        const std::int64_t end = std::max(start + 1, (width * (k + 1)) / bandCount);
        const auto bandWidth = static_cast<std::uint64_t>(end - start);
        bands[static_cast<std::size_t>(k)] = {start, end,
                                              ((std::uint64_t{1} << 32) + bandWidth - 1) / bandWidth};
        widest = std::max(widest, end - start);
    }

    samples_.resize(static_cast<std::size_t>(rowCount_ * bandCount));
    if (width == 4 * bandCount) {
        fillFourColumnSamples(frame.pixels().data(), samples_.size(), samples_.data());
    } else if (widest <= widestReciprocalBand) {
        fillSamples<true>(frame.pixels().data(), width, rowCount_, bands, samples_.data());
    } else {
        fillSamples<false>(frame.pixels().data(), width, rowCount_, bands, samples_.data());
    }
}

std::span<const std::uint8_t> FrameSignature::row(std::int64_t y) const {
    if (y < 0 || y >= rowCount_) {
        return {};
    }
    return std::span<const std::uint8_t>(samples_).subspan(static_cast<std::size_t>(y * columnCount_),
                                                           static_cast<std::size_t>(columnCount_));
}

} // namespace tessary
