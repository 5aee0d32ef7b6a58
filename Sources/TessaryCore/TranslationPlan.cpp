#include "TessaryCore/TranslationPlan.h"

#include "TessaryCore/DateLocalization.h"
#include "TessaryCore/LanguageIdentity.h"
#include "TessaryCore/TranslatableText.h"

namespace tessary {

TranslationPlan TranslationPlan::make(const std::vector<std::string>& paragraphs, std::string_view target,
                                      const LanguageDetector& detect) {
    TranslationPlan plan;
    std::string all;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        all += i == 0 ? "" : "\n";
        all += paragraphs[i];
    }
    const std::optional<std::string> overall = paragraphs.empty() ? std::nullopt : detect(all);
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        std::optional<std::string> own = detect(paragraphs[i]);
        const std::optional<std::string> language = own ? own : overall;
        const std::string core = TranslatableText::stripDecoration(paragraphs[i]);
        const std::optional<DateLocalization::Result> date = DateLocalization::localize(core, target);
        const bool sameLanguage = language && LanguageIdentity::isSameLanguage(*language, target);
        if (sameLanguage) {
            ++plan.sameLanguageCount;
        }
        if (date) {
            ++plan.localDateCount;
        }
        if (TranslatableText::isWorthTranslating(date ? date->remainder : core) && !sameLanguage) {
            plan.sent.push_back(i);
            plan.textsToSend.push_back(date ? date->text : core);
        }
        plan.translations.push_back(date ? date->text : std::string());
        plan.languages.push_back(language);
        plan.ownLanguages.push_back(std::move(own));
    }
    return plan;
}

bool TranslationPlan::apply(const std::vector<std::string>& answers) {
    if (answers.size() != sent.size()) {
        return false;
    }
    for (std::size_t k = 0; k < answers.size(); ++k) {
        if (!answers[k].empty()) {
            translations[sent[k]] = answers[k];
        }
    }
    return true;
}

std::vector<TranslationBlock>
TranslationPlan::blocks(const std::vector<DocumentParagraphs::Paragraph>& paragraphs, const Rect& selection,
                        double scale) const {
    const double s = scale > 0 ? scale : 1;
    std::vector<TranslationBlock> blocks;
    for (std::size_t i = 0; i < paragraphs.size() && i < translations.size(); ++i) {
        const Rect& box = paragraphs[i].rect;
        const Rect rect{selection.minX() + box.minX() / s, selection.maxY() - box.maxY() / s,
                        (box.maxX() - box.minX()) / s, (box.maxY() - box.minY()) / s};
        blocks.push_back({Uuid::random(), paragraphs[i].text, translations[i], rect, paragraphs[i].lineCount,
                          paragraphs[i].alignment, ownLanguages[i]});
    }
    return blocks;
}

} // namespace tessary
