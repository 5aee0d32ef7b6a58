#pragma once

class QImage;

// Approximate Gaussian blur (three box passes each way) for shadows and halos.
namespace GaussianBlur {

// Blurs a one-channel 8-bit image (alpha or grey) in place; outside the image counts as zero. Other formats
// and sigmas below a tenth of a pixel are left alone.
void blurSingleChannel(QImage& image, double sigma);

} // namespace GaussianBlur
