#pragma once

#include "TessaryCore/AnnotationWeight.h"
#include "TessaryCore/Geometry.h"

#include <QImage>

#include <functional>

// What drawing an annotation needs besides the annotation itself.
struct AnnotationRenderContext {
    // The pixelated whole-display image for a weight; a null image when it cannot be made.
    std::function<QImage(tessary::AnnotationWeight)> mosaicImage;
    // Where the whole-display mosaic image lies, in model points (the canvas's bounds).
    tessary::Rect bounds;
};
