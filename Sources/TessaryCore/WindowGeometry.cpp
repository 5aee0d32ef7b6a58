#include "TessaryCore/WindowGeometry.h"

namespace tessary::WindowGeometry {

namespace {
constexpr std::int64_t maximumLayer = 8;
constexpr double minimumAlpha = 0.01;
constexpr double minimumSide = 16;
} // namespace

// Both conversions return standardized rectangles: a negative width or height describes the same area.
Rect appKitRect(const Rect& cgGlobal, double primaryDisplayHeight) {
    const Rect r = cgGlobal.standardized();
    return {r.x, primaryDisplayHeight - r.maxY(), r.width, r.height};
}

Rect canvasRect(const Rect& appKitGlobal, const Rect& screenFrame) {
    const Rect r = appKitGlobal.standardized();
    return {r.x - screenFrame.minX(), r.y - screenFrame.minY(), r.width, r.height};
}

std::vector<OnScreenWindow> candidateWindows(const std::vector<WindowDescription>& descriptions,
                                             std::int64_t excludingPID, double primaryDisplayHeight) {
    std::vector<OnScreenWindow> result;
    for (const WindowDescription& window : descriptions) {
        if (!window.ownerPID || *window.ownerPID == excludingPID) {
            continue;
        }
        if (!window.layer || *window.layer < 0 || *window.layer > maximumLayer) {
            continue;
        }
        if (!window.alpha || !(*window.alpha > minimumAlpha)) {
            continue;
        }
        if (!window.bounds) {
            continue;
        }
        const Rect frame = appKitRect(*window.bounds, primaryDisplayHeight);
        if (!(frame.width >= minimumSide && frame.height >= minimumSide)) {
            continue;
        }
        if (!window.ownerName || window.ownerName->empty()) {
            continue;
        }
        result.push_back({frame, *window.ownerName});
    }
    return result;
}

} // namespace tessary::WindowGeometry
