#include "TessaryCore/TranslationTypesetting.h"

#include <cmath>

namespace tessary::TranslationTypesetting {

double lineHeight(const Rect& rect, int lineCount) {
    // A rectangle's height is its extent, whatever the sign it was built with.
    const double height = std::fabs(rect.height);
    return lineCount <= 0 ? height : height / lineCount;
}

double initialFontSize(double lineHeight) {
    return std::fmax(lineHeight * 0.78, minimumFontSize);
}

double maximumFontSize(double lineHeight) {
    return std::fmax(lineHeight * 1.05, minimumFontSize);
}

double coverInset(double lineHeight) {
    return std::fmax(lineHeight * 0.12, 1.0);
}

} // namespace tessary::TranslationTypesetting
