#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tessary {

// One 8-bit grey value per pixel, row-major, top row first. A frame always has a positive size and exactly
// width × height pixels: the factory is the only way to build one, so code reading a frame never has to
// re-check its buffer.
class GrayscaleFrame {
public:
    // Fails (no frame) unless width > 0, height > 0 and pixels holds exactly width × height values.
    static std::optional<GrayscaleFrame> make(std::int64_t width, std::int64_t height,
                                              std::vector<std::uint8_t> pixels);

    std::int64_t width() const { return width_; }
    std::int64_t height() const { return height_; }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }

    // The pixels of row y; a row outside the frame gives an empty span.
    std::span<const std::uint8_t> row(std::int64_t y) const;

    friend bool operator==(const GrayscaleFrame&, const GrayscaleFrame&) = default;

private:
    GrayscaleFrame(std::int64_t width, std::int64_t height, std::vector<std::uint8_t> pixels)
        : width_(width), height_(height), pixels_(std::move(pixels)) {}

    std::int64_t width_;
    std::int64_t height_;
    std::vector<std::uint8_t> pixels_;
};

} // namespace tessary
