#pragma once

#include "TessaryCore/Geometry.h"

#include <optional>
#include <string>

namespace tessary {

// One code a barcode detector found in an image.
struct QRCodeObservation {
    bool isQRCode = true;
    // UTF-8; absent when the code carries bytes rather than text.
    std::optional<std::string> payload;
    // Normalised to the image (0...1), origin at the image's lower-left corner.
    Rect boundingBox;
};

} // namespace tessary
