#include "TessaryCore/BarStackLayout.h"

#include <algorithm>

namespace tessary::BarStackLayout {

namespace {

double alignedX(const Rect& s, const Rect& bounds, double width) {
    const double x = std::max(s.maxX() - width, bounds.minX() + 8);
    return std::min(x, bounds.maxX() - width - 8);
}

} // namespace

Frames layOut(const Rect& s, const Rect& bounds, Size toolbar, std::optional<Size> styleBar,
              std::optional<Size> notice) {
    const double stack = toolbar.height + (styleBar ? 44 : 0) + (notice ? 36 : 0);
    double top = s.minY() - 8;
    if (top - stack < bounds.minY() + 8) {
        if (s.maxY() + 8 + stack <= bounds.maxY() - 8) {
            top = s.maxY() + 8 + stack;
        } else {
            top = std::min(s.minY() + 8 + stack, bounds.maxY() - 8);
        }
    }
    Frames frames;
    frames.toolbar = {alignedX(s, bounds, toolbar.width), top - toolbar.height, toolbar.width,
                      toolbar.height};
    double below = frames.toolbar.minY();
    if (styleBar) {
        frames.styleBar = Rect{alignedX(s, bounds, styleBar->width), frames.toolbar.minY() - 6 - 38,
                               styleBar->width, styleBar->height};
        below = frames.styleBar->minY();
    }
    if (notice) {
        frames.notice =
            Rect{alignedX(s, bounds, notice->width), below - 6 - 30, notice->width, notice->height};
    }
    return frames;
}

} // namespace tessary::BarStackLayout
