#pragma once

#include "TessaryCore/GrayscaleFrame.h"

#include <optional>

class QImage;

// Turns captured colour frames into what the scroll matcher works on.
namespace ScrollFrameConverter {

// Grey frames are at most this many columns wide; rows are never resampled.
inline constexpr int maximumGrayscaleWidth = 256;

// One 8-bit luminance value per pixel (Rec. 601 weights, translucent pixels composited over black), the
// width squeezed to at most 256 columns by area averaging, every row kept, so a row offset found on the
// grey frame is a pixel-row offset of the colour image. Nothing for an empty image or when memory runs out.
std::optional<tessary::GrayscaleFrame> grayscale(const QImage& image);

} // namespace ScrollFrameConverter
