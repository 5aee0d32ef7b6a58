#pragma once

#include "TessaryCore/Geometry.h"

namespace tessary::TranslationTypesetting {

// Font-size rules of the translation typesetter, in points of canvas space. The lower bounds use
// the IEEE 754 maxNum rule (std::fmax): a NaN line height yields the bound, never NaN.

inline constexpr double minimumFontSize = 6;

// The height of one source line: the whole height when the line count is not positive.
double lineHeight(const Rect& rect, int lineCount);
double initialFontSize(double lineHeight);
double maximumFontSize(double lineHeight);
// The margin by which the cover grows around the source text.
double coverInset(double lineHeight);

} // namespace tessary::TranslationTypesetting
