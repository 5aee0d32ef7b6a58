#pragma once

#include "TessaryCore/DocumentParagraphs.h"
#include "TessaryCore/TranslationBlock.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// What a screenshot translation does with each recognised paragraph: send it to the engine,
// convert its English dates locally, or leave it (figures, text already in the target language).
struct TranslationPlan {
    // The dominant language of a text, or nothing when it cannot be told.
    using LanguageDetector = std::function<std::optional<std::string>(std::string_view)>;

    // Per paragraph: its language (its own, else the language of all paragraphs together).
    std::vector<std::optional<std::string>> languages;
    // Per paragraph: its own language, kept on its block.
    std::vector<std::optional<std::string>> ownLanguages;
    // Per paragraph: the translation so far (a local date conversion, or "").
    std::vector<std::string> translations;
    // The paragraphs sent to the engine, in order, and the text sent for each.
    std::vector<std::size_t> sent;
    std::vector<std::string> textsToSend;
    // Paragraphs already in the target language, whether worth translating or not.
    int sameLanguageCount = 0;
    // Paragraphs whose English dates were converted here.
    int localDateCount = 0;

    // Decides on `paragraphs` for `target`; `detect` is called once per paragraph and once for
    // all of them joined by line feeds.
    static TranslationPlan make(const std::vector<std::string>& paragraphs, std::string_view target,
                                const LanguageDetector& detect);

    // Takes the engine's answers, one per sent text. False when the count differs (nothing is
    // taken then). An empty answer keeps what the paragraph had.
    bool apply(const std::vector<std::string>& answers);

    // The blocks in canvas points: each paragraph's pixel box (top-left origin) placed in the
    // selection (canvas points, y up) at `scale` pixels per point (1 when not positive).
    std::vector<TranslationBlock> blocks(const std::vector<DocumentParagraphs::Paragraph>& paragraphs,
                                         const Rect& selection, double scale) const;
};

} // namespace tessary
