#include "Overlay/Annotations/AnnotationLayer.h"

#include "Overlay/Annotations/AnnotationRenderer.h"
#include "TessaryCore/SelectionGeometry.h"

#include <algorithm>
#include <cmath>

using tessary::Point;
using tessary::Rect;
namespace SG = tessary::SelectionGeometry;

namespace {

// Extra room around drawn ink for antialiasing.
constexpr double antialiasMargin = 2;

Rect boundsOf(const std::vector<Point>& points) {
    if (points.empty()) {
        return {};
    }
    double x0 = points.front().x, x1 = x0, y0 = points.front().y, y1 = y0;
    for (const Point& p : points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

// A rectangle around `r` grown by `margin`; a point or a line still gets an area.
Rect grown(const Rect& r, double margin) {
    return SG::insetBy(r, -margin, -margin);
}

const std::vector<Point>* strokePoints(const std::optional<tessary::Annotation>& annotation) {
    if (!annotation) {
        return nullptr;
    }
    if (const auto* pen = std::get_if<tessary::PenShape>(&annotation->shape)) {
        return &pen->points;
    }
    if (const auto* mosaic = std::get_if<tessary::MosaicShape>(&annotation->shape)) {
        return &mosaic->points;
    }
    return nullptr;
}

} // namespace

Rect AnnotationLayer::placeSticker(Point at, const Rect& selection) {
    const tessary::Annotation sticker(tessary::StickerShape{at, sticker_}, style_);
    store_.append(sticker);
    return area(sticker, selection);
}

Rect AnnotationLayer::extendDraft(tessary::DrawingTool tool, Point a, Point c, const Rect& selection) {
    using tessary::DrawingTool;
    const std::optional<tessary::Annotation> before = draft_;
    switch (tool) {
    case DrawingTool::rectangle:
        draft_ = tessary::Annotation(tessary::RectangleShape{SG::spanned(a, c)}, style_);
        break;
    case DrawingTool::ellipse:
        draft_ = tessary::Annotation(tessary::EllipseShape{SG::spanned(a, c)}, style_);
        break;
    case DrawingTool::arrow:
        draft_ = tessary::Annotation(tessary::ArrowShape{a, c}, style_);
        break;
    case DrawingTool::pen:
    case DrawingTool::mosaic: {
        std::vector<Point> points;
        if (const std::vector<Point>* existing = strokePoints(draft_)) {
            points = *existing;
        }
        if (!points.empty() && std::hypot(c.x - points.back().x, c.y - points.back().y) < 1.5) {
            return {};
        }
        points.push_back(c);
        if (tool == DrawingTool::pen) {
            draft_ = tessary::Annotation(tessary::PenShape{std::move(points)}, style_);
        } else {
            draft_ = tessary::Annotation(tessary::MosaicShape{std::move(points)}, style_);
        }
        break;
    }
    default:
        return {};
    }
    // Only what the draft covered and covers now is repainted; a growing stroke adds one segment.
    const std::vector<Point>* previous = strokePoints(before);
    const std::vector<Point>* current = strokePoints(draft_);
    if (previous && current && !previous->empty() && current->size() == previous->size() + 1) {
        tessary::Annotation step = *draft_;
        const std::vector<Point> segment{previous->back(), current->back()};
        if (auto* pen = std::get_if<tessary::PenShape>(&step.shape)) {
            pen->points = segment;
        } else if (auto* mosaic = std::get_if<tessary::MosaicShape>(&step.shape)) {
            mosaic->points = segment;
        }
        return area(step, selection);
    }
    return SG::united(before ? area(*before, selection) : Rect{}, area(*draft_, selection));
}

Rect AnnotationLayer::finishDraft(const Rect& selection) {
    const std::optional<tessary::Annotation> finished = std::move(draft_);
    draft_.reset();
    if (!finished) {
        return {};
    }
    store_.append(*finished);
    // A stored draft looks the same; one the store dropped must disappear.
    return area(*finished, selection);
}

Rect AnnotationLayer::area(const tessary::Annotation& annotation, const Rect& selection) const {
    const double line = annotation.style.lineWidth();
    return std::visit(
        [&](const auto& shape) -> Rect {
            using Shape = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<Shape, tessary::RectangleShape> ||
                          std::is_same_v<Shape, tessary::EllipseShape>) {
                return grown(shape.rect.standardized(), line / 2 + antialiasMargin);
            } else if constexpr (std::is_same_v<Shape, tessary::ArrowShape>) {
                // The head is 2.3 line widths to either side of the shaft.
                return grown(boundsOf({shape.from, shape.to}), 2.5 * line + antialiasMargin);
            } else if constexpr (std::is_same_v<Shape, tessary::PenShape>) {
                return grown(boundsOf(shape.points), line / 2 + antialiasMargin);
            } else if constexpr (std::is_same_v<Shape, tessary::MosaicShape>) {
                const double brush = AnnotationRenderer::mosaicBrushWidth(annotation.style.weight);
                return grown(boundsOf(shape.points), brush / 2 + antialiasMargin);
            } else {
                // Text and stickers depend on font metrics: take the whole selection.
                return selection;
            }
        },
        annotation.shape);
}

bool AnnotationLayer::hasContent(Target target) const {
    return !store_.isEmpty() || (target == Target::screen && draft_);
}

void AnnotationLayer::draw(QPainter& painter, const AnnotationRenderContext& context, Target target) const {
    for (const tessary::Annotation& annotation : store_.items()) {
        AnnotationRenderer::draw(painter, annotation, context);
    }
    if (target == Target::screen && draft_) {
        AnnotationRenderer::draw(painter, *draft_, context);
    }
}
