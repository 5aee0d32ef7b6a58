#include "TessaryCore/AnnotationColor.h"

#include <utility>

namespace tessary {

namespace {

struct NamedColor {
    AnnotationColor color;
    std::string_view key;
};

constexpr std::array<NamedColor, 8> namedColors{{
    {AnnotationColors::red, "color.red"},
    {AnnotationColors::orange, "color.orange"},
    {AnnotationColors::yellow, "color.yellow"},
    {AnnotationColors::green, "color.green"},
    {AnnotationColors::blue, "color.blue"},
    {AnnotationColors::purple, "color.purple"},
    {AnnotationColors::black, "color.black"},
    {AnnotationColors::white, "color.white"},
}};

} // namespace

std::string_view AnnotationColor::localizationKey() const {
    for (const auto& named : namedColors) {
        if (named.color == *this) {
            return named.key;
        }
    }
    return "color.red";
}

const std::array<AnnotationColor, 8>& AnnotationColor::palette() {
    static const std::array<AnnotationColor, 8> colors = [] {
        std::array<AnnotationColor, 8> result{};
        for (std::size_t i = 0; i < namedColors.size(); ++i) {
            result[i] = namedColors[i].color;
        }
        return result;
    }();
    return colors;
}

} // namespace tessary
