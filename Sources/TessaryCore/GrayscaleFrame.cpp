#include "TessaryCore/GrayscaleFrame.h"

namespace tessary {

std::optional<GrayscaleFrame> GrayscaleFrame::make(std::int64_t width, std::int64_t height,
                                                   std::vector<std::uint8_t> pixels) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    // Checked by division so that a huge width × height cannot wrap around to the buffer's length.
    const auto count = static_cast<std::uint64_t>(pixels.size());
    const auto columns = static_cast<std::uint64_t>(width);
    if (count % columns != 0 || count / columns != static_cast<std::uint64_t>(height)) {
        return std::nullopt;
    }
    return GrayscaleFrame(width, height, std::move(pixels));
}

std::span<const std::uint8_t> GrayscaleFrame::row(std::int64_t y) const {
    if (y < 0 || y >= height_) {
        return {};
    }
    return std::span<const std::uint8_t>(pixels_).subspan(static_cast<std::size_t>(y * width_),
                                                          static_cast<std::size_t>(width_));
}

} // namespace tessary
