#pragma once

#include "TessaryCore/TranslationFailure.h"

#include <QString>

// The user-facing text of a translation failure in the effective language.
namespace TranslationFailureText {
QString localizedDescription(const tessary::TranslationFailure& failure);
} // namespace TranslationFailureText
