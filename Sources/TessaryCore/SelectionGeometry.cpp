#include "TessaryCore/SelectionGeometry.h"

#include <cmath>
#include <cstdio>

namespace tessary {

std::string_view handleName(SelectionHandle handle) {
    switch (handle) {
    case SelectionHandle::topLeft:
        return "topLeft";
    case SelectionHandle::top:
        return "top";
    case SelectionHandle::topRight:
        return "topRight";
    case SelectionHandle::right:
        return "right";
    case SelectionHandle::bottomRight:
        return "bottomRight";
    case SelectionHandle::bottom:
        return "bottom";
    case SelectionHandle::bottomLeft:
        return "bottomLeft";
    case SelectionHandle::left:
        return "left";
    }
    return "";
}

namespace SelectionGeometry {

double roundHalfAwayFromZero(double value) {
    return std::round(value);
}

std::optional<PixelRect> cropRect(const Rect& selection, double canvasHeight, double scale, int imageWidth,
                                  int imageHeight) {
    const Rect s = selection.standardized();
    if (!(s.width >= minimumImageSide) || !(s.height >= minimumImageSide) || !(scale > 0)) {
        return std::nullopt;
    }
    const double x = roundHalfAwayFromZero(scale * s.minX());
    const double y = roundHalfAwayFromZero(scale * (canvasHeight - s.maxY()));
    const double w = roundHalfAwayFromZero(scale * s.width);
    const double h = roundHalfAwayFromZero(scale * s.height);
    // Intersect in doubles so that absurd selections cannot overflow int.
    const double x0 = std::max(x, 0.0);
    const double y0 = std::max(y, 0.0);
    const double x1 = std::min(x + w, static_cast<double>(imageWidth));
    const double y1 = std::min(y + h, static_cast<double>(imageHeight));
    if (!(x1 > x0) || !(y1 > y0)) {
        return std::nullopt;
    }
    return PixelRect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                     static_cast<int>(y1 - y0)};
}

PixelPoint pixelUnder(Point point, Size bounds, int imageWidth, int imageHeight) {
    if (bounds.width <= 0 || bounds.height <= 0 || imageWidth <= 0 || imageHeight <= 0) {
        return {};
    }
    const Point p = clamp(point, Rect{0, 0, bounds.width, bounds.height});
    const double fx = std::floor(p.x * imageWidth / bounds.width);
    const double fy = std::floor((bounds.height - p.y) * imageHeight / bounds.height);
    const int x = static_cast<int>(std::clamp(fx, 0.0, static_cast<double>(imageWidth - 1)));
    const int y = static_cast<int>(std::clamp(fy, 0.0, static_cast<double>(imageHeight - 1)));
    return {x, y};
}

Point clamp(Point point, const Rect& bounds) {
    return {std::clamp(point.x, bounds.minX(), bounds.maxX()),
            std::clamp(point.y, bounds.minY(), bounds.maxY())};
}

bool containsClosed(const Rect& rect, Point point) {
    return point.x >= rect.minX() && point.x <= rect.maxX() && point.y >= rect.minY() &&
           point.y <= rect.maxY();
}

Rect insetBy(const Rect& rect, double dx, double dy) {
    const Rect r = rect.standardized();
    return {r.x + dx, r.y + dy, r.width - 2 * dx, r.height - 2 * dy};
}

Rect united(const Rect& a, const Rect& b) {
    if (a.isEmpty()) {
        return b.standardized();
    }
    if (b.isEmpty()) {
        return a.standardized();
    }
    const double x0 = std::min(a.minX(), b.minX());
    const double y0 = std::min(a.minY(), b.minY());
    return {x0, y0, std::max(a.maxX(), b.maxX()) - x0, std::max(a.maxY(), b.maxY()) - y0};
}

Rect spanned(Point anchor, Point point) {
    return {std::min(anchor.x, point.x), std::min(anchor.y, point.y), std::abs(point.x - anchor.x),
            std::abs(point.y - anchor.y)};
}

bool exceedsWindowDragThreshold(Point anchor, Point point) {
    return std::hypot(point.x - anchor.x, point.y - anchor.y) > windowDragThreshold;
}

Point handlePoint(const Rect& rect, SelectionHandle handle) {
    switch (handle) {
    case SelectionHandle::topLeft:
        return {rect.minX(), rect.maxY()};
    case SelectionHandle::top:
        return {rect.midX(), rect.maxY()};
    case SelectionHandle::topRight:
        return {rect.maxX(), rect.maxY()};
    case SelectionHandle::right:
        return {rect.maxX(), rect.midY()};
    case SelectionHandle::bottomRight:
        return {rect.maxX(), rect.minY()};
    case SelectionHandle::bottom:
        return {rect.midX(), rect.minY()};
    case SelectionHandle::bottomLeft:
        return {rect.minX(), rect.minY()};
    case SelectionHandle::left:
        return {rect.minX(), rect.midY()};
    }
    return {};
}

Rect handleRect(const Rect& rect, SelectionHandle handle) {
    const Point c = handlePoint(rect, handle);
    return {c.x - handleSize / 2, c.y - handleSize / 2, handleSize, handleSize};
}

Rect handleHitArea(const Rect& rect, SelectionHandle handle) {
    return insetBy(handleRect(rect, handle), -handleHitMargin, -handleHitMargin);
}

std::optional<SelectionHandle> hitHandle(const Rect& selection, Point point) {
    for (SelectionHandle handle : allSelectionHandles) {
        if (handleHitArea(selection, handle).contains(point)) {
            return handle;
        }
    }
    return std::nullopt;
}

Rect resized(const Rect& origin, SelectionHandle handle, Point point) {
    using H = SelectionHandle;
    const bool movesMinX = handle == H::topLeft || handle == H::bottomLeft || handle == H::left;
    const bool movesMaxX = handle == H::topRight || handle == H::right || handle == H::bottomRight;
    const bool movesMinY = handle == H::bottomRight || handle == H::bottom || handle == H::bottomLeft;
    const bool movesMaxY = handle == H::topLeft || handle == H::top || handle == H::topRight;
    const double minX = movesMinX ? point.x : origin.minX();
    const double maxX = movesMaxX ? point.x : origin.maxX();
    const double minY = movesMinY ? point.y : origin.minY();
    const double maxY = movesMaxY ? point.y : origin.maxY();
    return Rect{minX, minY, maxX - minX, maxY - minY}.standardized();
}

Rect moved(const Rect& origin, Point grabbedAt, Point point, const Rect& bounds) {
    const Point p = clamp(point, bounds);
    const Rect o = origin.standardized();
    double x = o.x + (p.x - grabbedAt.x);
    double y = o.y + (p.y - grabbedAt.y);
    x = std::min(std::max(x, bounds.minX()), bounds.maxX() - o.width);
    y = std::min(std::max(y, bounds.minY()), bounds.maxY() - o.height);
    return {x, y, o.width, o.height};
}

Rect selectionChangeDirtyRect(const std::optional<Rect>& before, const std::optional<Rect>& after,
                              const Rect& bounds) {
    const auto area = [&](const std::optional<Rect>& rect) -> Rect {
        if (!rect || rect->isEmpty()) {
            return {};
        }
        const Rect grown = insetBy(*rect, -6, -6);
        const Rect band{bounds.minX(), rect->maxY() - 40, bounds.width, 80};
        return united(grown, band);
    };
    const Rect both = united(area(before), area(after));
    if (both.isEmpty()) {
        return {};
    }
    return insetBy(both, -2, -2);
}

std::string sizeLabelText(const Rect& rect, double scale) {
    const Rect r = rect.standardized();
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.0f x %.0f", roundHalfAwayFromZero(r.width),
                  roundHalfAwayFromZero(r.height));
    std::string text = buffer;
    if (scale != 1) {
        if (scale == std::floor(scale)) {
            std::snprintf(buffer, sizeof buffer, " @%.0fx", scale);
        } else {
            std::snprintf(buffer, sizeof buffer, " @%.1fx", scale);
        }
        text += buffer;
    }
    return text;
}

} // namespace SelectionGeometry
} // namespace tessary
