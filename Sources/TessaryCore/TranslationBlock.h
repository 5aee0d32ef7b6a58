#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/TextBlockAlignment.h"
#include "TessaryCore/Uuid.h"

#include <optional>
#include <string>

namespace tessary {

// One recognised paragraph and its translation.
struct TranslationBlock {
    // Fixed at creation; views showing the block are keyed by it across updates.
    Uuid id;
    // Recognised paragraph text, line breaks already folded.
    std::string sourceText;
    // Empty until a translation arrives.
    std::string translatedText;
    // Canvas coordinates in points, origin at the lower left, y up.
    Rect rect;
    int lineCount = 1;
    TextBlockAlignment alignment = TextBlockAlignment::leading;
    // Dominant language detected in the source text, if any.
    std::optional<std::string> sourceLanguage;

    // Whether the translation is drawn over the source: only when it says something the source
    // (with or without its bullets and arrows) does not already show.
    bool shouldCover() const;

    // Texts compare up to canonical equivalence.
    friend bool operator==(const TranslationBlock& a, const TranslationBlock& b);
};

} // namespace tessary
