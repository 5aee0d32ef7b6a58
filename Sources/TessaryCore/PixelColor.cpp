#include "TessaryCore/PixelColor.h"

#include <cstdio>

namespace tessary {

std::string PixelColor::hexString() const {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", red, green, blue);
    return buffer;
}

std::string PixelColor::clipboardString() const {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "  RGB(%u, %u, %u)", unsigned{red}, unsigned{green}, unsigned{blue});
    return hexString() + buffer;
}

} // namespace tessary
