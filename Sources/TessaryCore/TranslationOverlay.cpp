#include "TessaryCore/TranslationOverlay.h"

#include "TessaryCore/UnicodeText.h"

#include <algorithm>
#include <iterator>

namespace tessary {

std::vector<TranslationBlock> TranslationOverlay::coveringBlocks() const {
    std::vector<TranslationBlock> covering;
    std::copy_if(blocks.begin(), blocks.end(), std::back_inserter(covering),
                 [](const TranslationBlock& block) { return block.shouldCover(); });
    return covering;
}

bool TranslationOverlay::isEmpty() const {
    return std::none_of(blocks.begin(), blocks.end(),
                        [](const TranslationBlock& block) { return block.shouldCover(); });
}

bool operator==(const TranslationOverlay& a, const TranslationOverlay& b) {
    return a.engine == b.engine && a.blocks == b.blocks &&
           UnicodeText::canonicallyEquivalent(a.targetLanguage, b.targetLanguage);
}

} // namespace tessary
