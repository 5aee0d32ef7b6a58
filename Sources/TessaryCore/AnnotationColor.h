#pragma once

#include <array>
#include <string_view>

namespace tessary {

// An opaque annotation colour; components are in 0...1.
struct AnnotationColor {
    double red = 0;
    double green = 0;
    double blue = 0;

    // Light colours get a dark outline, check mark or text halo.
    constexpr bool isLight() const { return red + green + blue > 2.1; }
    // The key naming this colour in tooltips; colours outside the palette are called red.
    std::string_view localizationKey() const;

    static const std::array<AnnotationColor, 8>& palette();

    friend bool operator==(const AnnotationColor&, const AnnotationColor&) = default;
};

// The named colours, in palette order.
namespace AnnotationColors {
inline constexpr AnnotationColor red{0.93, 0.23, 0.19};
inline constexpr AnnotationColor orange{1.0, 0.58, 0.0};
inline constexpr AnnotationColor yellow{1.0, 0.84, 0.04};
inline constexpr AnnotationColor green{0.2, 0.74, 0.36};
inline constexpr AnnotationColor blue{0.0, 0.48, 1.0};
inline constexpr AnnotationColor purple{0.69, 0.32, 0.87};
inline constexpr AnnotationColor black{0.11, 0.11, 0.12};
inline constexpr AnnotationColor white{1.0, 1.0, 1.0};
} // namespace AnnotationColors

} // namespace tessary
