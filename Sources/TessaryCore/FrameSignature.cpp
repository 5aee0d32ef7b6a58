#include "TessaryCore/FrameSignature.h"

#include <algorithm>

namespace tessary {

namespace {

struct Band {
    std::int64_t start;
    std::int64_t end;
};

} // namespace

FrameSignature::FrameSignature(const GrayscaleFrame& frame, std::int64_t sampleColumns)
    : rowCount_(frame.height()),
      columnCount_(std::max<std::int64_t>(1, std::min(frame.width(), sampleColumns))) {
    const std::int64_t width = frame.width();
    const std::int64_t bands = columnCount_;

    std::vector<Band> layout(static_cast<std::size_t>(bands));
    for (std::int64_t k = 0; k < bands; ++k) {
        // Products stay far below the 64-bit range: a frame's width is bounded by its buffer's length.
        const std::int64_t start = (width * k) / bands;
        const std::int64_t end = std::max(start + 1, (width * (k + 1)) / bands);
        layout[static_cast<std::size_t>(k)] = {start, end};
    }

    samples_.resize(static_cast<std::size_t>(rowCount_ * bands));
    const std::uint8_t* source = frame.pixels().data();
    std::uint8_t* target = samples_.data();
    for (std::int64_t y = 0; y < rowCount_; ++y) {
        const std::uint8_t* row = source + y * width;
        for (const Band& band : layout) {
            std::uint64_t sum = 0;
            for (std::int64_t x = band.start; x < band.end; ++x) {
                sum += row[x];
            }
            *target++ = static_cast<std::uint8_t>(sum / static_cast<std::uint64_t>(band.end - band.start));
        }
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
