#include "TessaryCore/CompositeImageLayout.h"

#include <algorithm>
#include <climits>

namespace tessary {

std::optional<CompositeImageLayout> CompositeImageLayout::of(const std::vector<PixelRect>& logicalDisplays,
                                                             int imageWidth, int imageHeight) {
    if (logicalDisplays.empty() || imageWidth <= 0 || imageHeight <= 0) {
        return std::nullopt;
    }
    int left = INT_MAX;
    int top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    for (const PixelRect& display : logicalDisplays) {
        if (display.width <= 0 || display.height <= 0) {
            return std::nullopt;
        }
        left = std::min(left, display.x);
        top = std::min(top, display.y);
        right = std::max(right, display.x + display.width);
        bottom = std::max(bottom, display.y + display.height);
    }
    const int width = right - left;
    const int height = bottom - top;
    if (imageWidth % width != 0 || imageWidth / width != imageHeight / height || imageHeight % height != 0) {
        return std::nullopt;
    }
    CompositeImageLayout layout;
    layout.scale = imageWidth / width;
    for (const PixelRect& display : logicalDisplays) {
        layout.displays.push_back({(display.x - left) * layout.scale, (display.y - top) * layout.scale,
                                   display.width * layout.scale, display.height * layout.scale});
    }
    return layout;
}

} // namespace tessary
