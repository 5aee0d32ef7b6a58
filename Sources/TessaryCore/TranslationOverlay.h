#pragma once

#include "TessaryCore/TranslationBlock.h"
#include "TessaryCore/TranslationEngineKind.h"

#include <string>
#include <vector>

namespace tessary {

// The translations a canvas shows over its selection.
struct TranslationOverlay {
    // In recognition order.
    std::vector<TranslationBlock> blocks;
    TranslationEngineKind engine = TranslationEngineKind::velmora;
    std::string targetLanguage;

    // The blocks whose translation is drawn, in their order.
    std::vector<TranslationBlock> coveringBlocks() const;
    // True when no block covers its source, including when there are no blocks.
    bool isEmpty() const;

    friend bool operator==(const TranslationOverlay& a, const TranslationOverlay& b);
};

} // namespace tessary
