#pragma once

#include <optional>
#include <string_view>

namespace tessary {

// Horizontal alignment of a recognised paragraph; the raw values are stable identifiers.
enum class TextBlockAlignment { leading, center, trailing };

constexpr std::string_view rawValue(TextBlockAlignment alignment) {
    switch (alignment) {
    case TextBlockAlignment::leading:
        return "leading";
    case TextBlockAlignment::center:
        return "center";
    case TextBlockAlignment::trailing:
        return "trailing";
    }
    return "leading";
}

constexpr std::optional<TextBlockAlignment> textBlockAlignmentFromRawValue(std::string_view raw) {
    for (const auto alignment :
         {TextBlockAlignment::leading, TextBlockAlignment::center, TextBlockAlignment::trailing}) {
        if (rawValue(alignment) == raw) {
            return alignment;
        }
    }
    return std::nullopt;
}

} // namespace tessary
