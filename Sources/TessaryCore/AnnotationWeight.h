#pragma once

#include <array>
#include <optional>

namespace tessary {

// Stroke weight of an annotation; the raw values are stable.
enum class AnnotationWeight : int {
    light = 0,
    medium = 1,
    heavy = 2,
};

inline constexpr std::array<AnnotationWeight, 3> allAnnotationWeights{
    AnnotationWeight::light, AnnotationWeight::medium, AnnotationWeight::heavy};

// No weight for a raw value outside 0...2.
constexpr std::optional<AnnotationWeight> annotationWeightFromRaw(int raw) {
    if (raw < 0 || raw > 2) {
        return std::nullopt;
    }
    return static_cast<AnnotationWeight>(raw);
}

// Measures in points, indexed by weight.
namespace AnnotationWeightMeasures {
inline constexpr std::array<double, 3> lineWidths{2, 4, 7};
inline constexpr std::array<double, 3> fontSizes{15, 20, 28};
inline constexpr std::array<double, 3> mosaicBlockSizes{8, 14, 22};
inline constexpr std::array<double, 3> indicatorDiameters{5, 10, 16};
} // namespace AnnotationWeightMeasures

// Stroke width of rectangles, ellipses, arrows and pen strokes.
constexpr double lineWidth(AnnotationWeight weight) {
    return AnnotationWeightMeasures::lineWidths.at(static_cast<std::size_t>(weight));
}
// Point size of text annotations.
constexpr double fontSize(AnnotationWeight weight) {
    return AnnotationWeightMeasures::fontSizes.at(static_cast<std::size_t>(weight));
}
// Edge of one mosaic block (times the display scale for pixels).
constexpr double mosaicBlockSize(AnnotationWeight weight) {
    return AnnotationWeightMeasures::mosaicBlockSizes.at(static_cast<std::size_t>(weight));
}
// Diameter of the weight's dot in the style bar.
constexpr double indicatorDiameter(AnnotationWeight weight) {
    return AnnotationWeightMeasures::indicatorDiameters.at(static_cast<std::size_t>(weight));
}

} // namespace tessary
