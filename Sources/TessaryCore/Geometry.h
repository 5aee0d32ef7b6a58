#pragma once

#include <algorithm>
#include <cmath>

namespace tessary {

// Plain geometry in points (or pixels where a caller says so). Model code uses the
// y-up convention: a rectangle's origin is its lower-left corner.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return std::min(x, x + width); }
    double maxX() const { return std::max(x, x + width); }
    double minY() const { return std::min(y, y + height); }
    double maxY() const { return std::max(y, y + height); }
    double midX() const { return (minX() + maxX()) / 2; }
    double midY() const { return (minY() + maxY()) / 2; }
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    bool isEmpty() const { return width == 0 || height == 0; }

    // Same rectangle with non-negative width and height.
    Rect standardized() const { return {minX(), minY(), maxX() - minX(), maxY() - minY()}; }
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool intersects(const Rect& o) const {
        return !isEmpty() && !o.isEmpty() && minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() &&
               o.minY() < maxY();
    }
    Rect intersected(const Rect& o) const {
        const double x0 = std::max(minX(), o.minX());
        const double y0 = std::max(minY(), o.minY());
        const double x1 = std::min(maxX(), o.maxX());
        const double y1 = std::min(maxY(), o.maxY());
        if (x1 <= x0 || y1 <= y0) {
            return {};
        }
        return {x0, y0, x1 - x0, y1 - y0};
    }
    Rect offsetBy(double dx, double dy) const { return {x + dx, y + dy, width, height}; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace tessary
