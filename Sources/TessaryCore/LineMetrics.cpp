#include "TessaryCore/LineMetrics.h"

#include <algorithm>

namespace tessary::LineMetrics {

Rect typographicBox(const Rect& ink, std::optional<double> baseline) {
    const Rect box = ink.standardized();
    if (!baseline || *baseline <= box.minY() || *baseline > box.maxY() + 1) {
        return box;
    }
    const double em = (*baseline - box.minY()) / ascentPerEm;
    const double top = std::min(box.minY(), *baseline - boxAbove * em);
    const double bottom = std::max(box.maxY(), *baseline + boxBelow * em);
    return {box.minX(), top, box.width, bottom - top};
}

} // namespace tessary::LineMetrics
