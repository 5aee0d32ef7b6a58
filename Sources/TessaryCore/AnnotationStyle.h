#pragma once

#include "TessaryCore/AnnotationColor.h"
#include "TessaryCore/AnnotationWeight.h"

namespace tessary {

struct AnnotationStyle {
    AnnotationColor color = AnnotationColors::red;
    AnnotationWeight weight = AnnotationWeight::medium;

    // Red, medium.
    static constexpr AnnotationStyle defaultStyle() { return {}; }

    constexpr double lineWidth() const { return tessary::lineWidth(weight); }
    constexpr double fontSize() const { return tessary::fontSize(weight); }

    friend bool operator==(const AnnotationStyle&, const AnnotationStyle&) = default;
};

} // namespace tessary
