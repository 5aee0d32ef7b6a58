#include "TessaryCore/DemoAnnotations.h"

#include "TessaryCore/SelectionGeometry.h"

#include <algorithm>
#include <cmath>

namespace tessary::DemoAnnotations {

Rect defaultSelection(const Rect& b) {
    const double width = std::min(b.width * 0.40, 520.0);
    const double height = std::min(b.height * 0.35, 300.0);
    const double top = b.maxY() - b.height * 0.18;
    return {b.minX() + b.width * 0.12, top - height, width, height};
}

std::vector<Annotation> make(const Rect& selection) {
    const Rect r = SelectionGeometry::insetBy(selection, 30, 30);
    const double left = r.minX();
    const double top = r.maxY();
    const auto style = [](AnnotationColor color, AnnotationWeight weight) {
        return AnnotationStyle{color, weight};
    };

    std::vector<Annotation> items;
    items.emplace_back(RectangleShape{{left, top - 70, 150, 70}},
                       style(AnnotationColors::red, AnnotationWeight::medium));
    items.emplace_back(EllipseShape{{left + 170, top - 70, 120, 70}},
                       style(AnnotationColors::blue, AnnotationWeight::medium));
    items.emplace_back(ArrowShape{{left + 310, top - 10}, {left + 400, top - 60}},
                       style(AnnotationColors::orange, AnnotationWeight::heavy));

    PenShape pen;
    for (int i = 0; i < 41; ++i) {
        pen.points.push_back({left + i * 2.4, top - 110 + 22 * std::sin(i / 3.2)});
    }
    items.emplace_back(std::move(pen), style(AnnotationColors::green, AnnotationWeight::medium));

    MosaicShape mosaic;
    for (int i = 0; i < 21; ++i) {
        mosaic.points.push_back({left + 130 + i * 12.0, top - 160});
    }
    items.emplace_back(std::move(mosaic), style(AnnotationColors::black, AnnotationWeight::medium));

    items.emplace_back(TextShape{{left, top - 190}, sampleText},
                       style(AnnotationColors::red, AnnotationWeight::heavy));
    return items;
}

} // namespace tessary::DemoAnnotations
