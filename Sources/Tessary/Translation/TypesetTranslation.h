#pragma once

#include "TessaryCore/TranslationBlockLayout.h"

#include <QString>

#include <vector>

// What a canvas keeps of a translation once it is typeset: the layouts of the covering blocks
// (canvas points, y up) and the target language, which picks the font.
struct TypesetTranslation {
    std::vector<tessary::TranslationBlockLayout> layouts;
    QString targetLanguage;

    bool isEmpty() const { return layouts.empty(); }
};
