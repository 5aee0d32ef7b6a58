#pragma once

#include "Overlay/Canvas/PixelColorSampler.h"
#include "TessaryCore/Geometry.h"
#include "TessaryCore/PixelColor.h"
#include "TessaryCore/SelectionGeometry.h"

#include <QImage>

#include <optional>

// The frozen image of one display as the canvas reads it: pixels under points, their colours, crops.
class FrozenPixels {
public:
    FrozenPixels(QImage image, double scale) : image_(std::move(image)), scale_(scale) {}

    const QImage& image() const { return image_; }
    // Image pixel under a point of a canvas of `canvas` size (clamped into it).
    tessary::PixelPoint pixelAt(tessary::Point point, tessary::Size canvas) const;
    // Nothing for an image the sampler cannot read.
    std::optional<tessary::PixelColor> color(tessary::PixelPoint pixel);
    // The pixels under `selection` (a read-only view, no copy); null under one point or off the image.
    QImage crop(const tessary::Rect& selection, double canvasHeight) const;

private:
    QImage image_;
    double scale_;
    std::optional<PixelColorSampler> sampler_;
    bool samplerTried_ = false;
};
