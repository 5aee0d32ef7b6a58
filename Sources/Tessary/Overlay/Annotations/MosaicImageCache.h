#pragma once

#include "TessaryCore/AnnotationWeight.h"

#include <QImage>

#include <array>

// The pixelated display images of one canvas, one per weight, made on first use. A failed attempt is
// not remembered, so the next draw tries again.
class MosaicImageCache {
public:
    MosaicImageCache() = default;
    // `scale` is the display's pixels per point: blocks are the weight's block size in points.
    MosaicImageCache(QImage displayImage, double scale);

    QImage image(tessary::AnnotationWeight weight);
    bool contains(tessary::AnnotationWeight weight) const;

private:
    QImage display_;
    double scale_ = 1;
    std::array<QImage, 3> images_;
};
