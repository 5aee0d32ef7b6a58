#pragma once

#include <QImage>

// The pixelated copy of a display image that the mosaic brush reveals.
namespace MosaicImage {

// Each block of about `blockSizeInPixels` (at least 2) becomes the average of its pixels. The result
// has the input's size; null for a null input or when memory runs out.
QImage pixelated(const QImage& image, double blockSizeInPixels);

} // namespace MosaicImage
