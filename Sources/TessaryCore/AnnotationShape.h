#pragma once

#include "TessaryCore/Geometry.h"

#include <string>
#include <variant>
#include <vector>

namespace tessary {

// Geometry of one annotation, in canvas points (y up). The alternatives keep their declaration order.
struct RectangleShape {
    Rect rect; // may be unnormalised while dragged
    friend bool operator==(const RectangleShape&, const RectangleShape&) = default;
};

struct EllipseShape {
    Rect rect; // the ellipse is inscribed in it
    friend bool operator==(const EllipseShape&, const EllipseShape&) = default;
};

struct ArrowShape {
    Point from;
    Point to; // the head
    friend bool operator==(const ArrowShape&, const ArrowShape&) = default;
};

struct PenShape {
    std::vector<Point> points;
    friend bool operator==(const PenShape&, const PenShape&) = default;
};

struct MosaicShape {
    std::vector<Point> points; // the brush path
    friend bool operator==(const MosaicShape&, const MosaicShape&) = default;
};

struct TextShape {
    Point origin; // top-left corner of the text box
    std::string content;
    friend bool operator==(const TextShape&, const TextShape&) = default;
};

struct StickerShape {
    Point center;
    std::string emoji;
    friend bool operator==(const StickerShape&, const StickerShape&) = default;
};

using AnnotationShape =
    std::variant<RectangleShape, EllipseShape, ArrowShape, PenShape, MosaicShape, TextShape, StickerShape>;

} // namespace tessary
