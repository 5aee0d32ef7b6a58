#include "TessaryCore/NoticeLayout.h"

#include <algorithm>
#include <cmath>

namespace tessary::NoticeLayout {

double displaySeconds(std::size_t characterCount, bool clickable) {
    if (clickable) {
        return 12;
    }
    return std::min(std::max(0.16 * static_cast<double>(characterCount), 3.0), 9.0);
}

double barWidth(double maxWidth, double textWidth) {
    return std::min(std::max(maxWidth, minimumWidth),
                    std::max(std::ceil(textWidth) + 2 + chrome, minimumWidth));
}

double maxBarWidth(const std::optional<Rect>& visibleFrame) {
    return visibleFrame ? visibleFrame->width - 80 : maxWidthWithoutScreen;
}

Point position(const std::optional<Rect>& anchor, const std::optional<Rect>& visibleFrame, Size panelSize) {
    const Rect v = visibleFrame.value_or(Rect{0, 0, 1440, 900});
    const double w = panelSize.width;
    const double h = panelSize.height;
    double x = 0;
    double y = 0;
    if (!anchor) {
        x = v.midX() - w / 2;
        y = v.minY() + 80;
    } else {
        x = anchor->midX() - w / 2;
        y = anchor->minY() - h - 12;
        if (y < v.minY() + 12) {
            y = anchor->maxY() + 12;
        }
    }
    x = std::min(std::max(x, v.minX() + 12), v.maxX() - w - 12);
    y = std::min(std::max(y, v.minY() + 12), v.maxY() - h - 12);
    return {x, y};
}

} // namespace tessary::NoticeLayout
