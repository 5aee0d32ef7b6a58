#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// One opaque pixel colour as the colour picker reports it.
struct PixelColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    // "#FF8000"
    std::string hexString() const;
    // "#FF8000  RGB(255, 128, 0)" (two spaces before RGB).
    std::string clipboardString() const;

    friend bool operator==(const PixelColor&, const PixelColor&) = default;
};

} // namespace tessary
