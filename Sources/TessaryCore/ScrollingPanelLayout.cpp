#include "TessaryCore/ScrollingPanelLayout.h"

#include <algorithm>

namespace tessary::ScrollingPanelLayout {

Point place(const Rect& region, Size panel, const std::vector<ScreenArea>& screens) {
    Rect area{0, 0, 1440, 900};
    if (!screens.empty()) {
        area = screens.front().visibleFrame;
        for (const ScreenArea& screen : screens) {
            if (screen.frame.intersects(region)) {
                area = screen.visibleFrame;
                break;
            }
        }
    }
    const double w = panel.width;
    const double h = panel.height;
    double x = region.maxX() + margin;
    if (x + w > area.maxX()) {
        x = region.minX() - margin - w;
    }
    double y = 0;
    if (x < area.minX()) {
        x = region.midX() - w / 2;
        x = std::max(x, area.minX() + margin);
        x = std::min(x, area.maxX() - w - margin);
        y = region.minY() - margin - h;
        if (y < area.minY()) {
            y = region.maxY() + margin;
        }
    } else {
        y = region.midY() - h / 2;
    }
    y = std::max(y, area.minY() + margin);
    y = std::min(y, area.maxY() - h - margin);
    return {x, y};
}

std::size_t stripsToDrop(const std::vector<std::int64_t>& heights, std::int64_t pixelWidth, double viewWidth,
                         double viewHeight) {
    if (pixelWidth <= 0 || viewWidth <= 0) {
        return 0;
    }
    const double scale = viewWidth / double(pixelWidth);
    double filled = 0;
    for (std::size_t i = heights.size(); i-- > 0;) {
        filled += double(heights[i]) * scale;
        if (filled >= viewHeight) {
            return i;
        }
    }
    return 0;
}

} // namespace tessary::ScrollingPanelLayout
