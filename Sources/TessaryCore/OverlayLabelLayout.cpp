#include "TessaryCore/OverlayLabelLayout.h"

#include <algorithm>
#include <cmath>

namespace tessary::OverlayLabelLayout {

Label sizeLabel(const Rect& rect, Size textSize, const Rect& bounds) {
    const double height = std::ceil(textSize.height) + 6;
    const double width = std::ceil(textSize.width) + 16;
    double y = rect.maxY() + 6;
    if (y + height > bounds.maxY()) {
        y = rect.maxY() - height - 6;
    }
    double x = std::max(rect.minX(), bounds.minX() + 2);
    x = std::min(x, bounds.maxX() - width - 2);
    return {{x, y, width, height}, {x + 8, y + 3}};
}

double windowNameMaxTextWidth(const Rect& bounds) {
    return std::max(bounds.width - 32, 40.0);
}

WindowNameLabel windowNameLabel(const Rect& sizeLabelBackground, Size textSize, const Rect& bounds) {
    const double maxWidth = windowNameMaxTextWidth(bounds);
    const double textHeight = std::ceil(textSize.height);
    const double width = std::min(maxWidth, std::ceil(textSize.width)) + 16;
    const double height = textHeight + 6;
    double x = std::max(sizeLabelBackground.minX(), bounds.minX() + 8);
    x = std::min(x, bounds.maxX() - width - 8);
    double y = std::max(sizeLabelBackground.minY() - 4 - height, bounds.minY() + 8);
    y = std::min(y, bounds.maxY() - height - 8);
    return {{x, y, width, height}, {x + 8, y + 3, width - 16, textHeight}};
}

ColorPicker colorPicker(Point p, const Rect& bounds) {
    constexpr double side = magnifierSide;
    constexpr double margin = 8;
    constexpr double gap = 14;
    double mx = p.x + gap;
    if (mx + side > bounds.maxX() - margin) {
        mx = p.x - gap - side;
    }
    mx = std::max(mx, bounds.minX() + margin);
    mx = std::min(mx, bounds.maxX() - side - margin);

    double my = p.y - gap - side;
    if (my < bounds.minY() + margin) {
        my = p.y + gap;
    }
    my = std::max(my, bounds.minY() + margin);
    my = std::min(my, bounds.maxY() - side - margin);
    const Rect magnifier{mx, my, side, side};

    const double pw = pickerPanelSize.width;
    const double ph = pickerPanelSize.height;
    double px = magnifier.midX() - pw / 2;
    px = std::min(std::max(px, bounds.minX() + margin), bounds.maxX() - pw - margin);
    double py = magnifier.minY() - 4 - ph;
    if (py < bounds.minY() + margin) {
        py = magnifier.maxY() + 4;
    }
    return {magnifier, {px, py, pw, ph}};
}

PixelRect magnifierSample(PixelPoint pixel, int imageWidth, int imageHeight) {
    const int n = std::min({13, imageWidth, imageHeight});
    if (n <= 0) {
        return {};
    }
    const int x = std::clamp(pixel.x - n / 2, 0, imageWidth - n);
    const int y = std::clamp(pixel.y - n / 2, 0, imageHeight - n);
    return {x, y, n, n};
}

Readout readout(Point p, const Rect& bounds, const ReadoutMetrics& m) {
    double x = p.x - m.width / 2;
    x = std::min(std::max(x, bounds.minX() + 8), bounds.maxX() - m.width - 8);
    double top = p.y - 210 - 10;
    if (top - m.height < bounds.minY() + 8) {
        top = p.y + 210 + 10 + m.height;
    }
    Readout r;
    r.background = {x - 8, top - 66, m.width + 16, m.textHeight + 50};
    r.labelX = x;
    r.valueX = x + m.labelWidth + 16;
    r.row1Y = top - 19;
    r.row2Y = top - 41;
    r.hintY = top - 63;
    return r;
}

} // namespace tessary::OverlayLabelLayout
