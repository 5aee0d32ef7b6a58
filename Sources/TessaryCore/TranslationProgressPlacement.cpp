#include "TessaryCore/TranslationProgressPlacement.h"

#include <algorithm>

namespace tessary::TranslationProgressPlacement {

Point origin(const Rect& selection, Size panel, const std::vector<Rect>& screens) {
    Point p{selection.midX() - panel.width / 2, selection.maxY() + 12};
    const auto screen = std::find_if(screens.begin(), screens.end(),
                                     [&](const Rect& frame) { return frame.intersects(selection); });
    if (screen == screens.end()) {
        return p;
    }
    if (p.y + panel.height > screen->maxY() - 8) {
        p.y = selection.minY() - panel.height - 12;
    }
    p.x = std::min(std::max(p.x, screen->minX() + 8), screen->maxX() - panel.width - 8);
    return p;
}

} // namespace tessary::TranslationProgressPlacement
