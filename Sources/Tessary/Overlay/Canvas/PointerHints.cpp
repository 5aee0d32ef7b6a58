#include "Overlay/Canvas/PointerHints.h"

#include "Overlay/Canvas/CanvasSurface.h"
#include "Overlay/Canvas/FrozenPixels.h"
#include "Overlay/Session/OverlayGuideView.h"
#include "Overlay/Canvas/SelectionLabelPainter.h"
#include "TessaryCore/WindowGeometry.h"

#include <QPainter>

using tessary::Point;
using tessary::Rect;
namespace SG = tessary::SelectionGeometry;

PointerHints::PointerHints(CanvasSurface& surface, FrozenPixels& pixels, const CapturedDisplay& captured,
                           const std::vector<tessary::OnScreenWindow>& windows,
                           const OverlayPerfOptions& perf)
    : surface_(surface), pixels_(pixels), captured_(captured), windows_(windows), perf_(perf) {}

void PointerHints::track(Point p) {
    const Rect bounds = surface_.bounds();
    const Point q = SG::clamp(p, bounds);
    const tessary::PixelPoint pixel = pixels_.pixelAt(q, bounds.size());
    if (point_ == q) {
        return;
    }
    refreshHoveredWindow(q);
    point_ = q;
    pixel_ = pixel;
    color_ = pixels_.color(pixel);
    if (guide_) {
        guide_->setCrosshair(q);
    }
    if (perf_.legacyFullRedraw) {
        surface_.repaintAll();
        return;
    }
    const Rect next = readout_.layout(q, bounds).background;
    surface_.invalidateUnion(readoutRegion_.current, next);
    readoutRegion_.current = next;
}

void PointerHints::clear() {
    const bool hadHints = point_ || hoveredWindow_ || hoveredWindowRect_ ||
                          !readoutRegion_.current.isEmpty() || !windowLabelRegion_.current.isEmpty();
    point_.reset();
    pixel_.reset();
    color_.reset();
    hoveredWindow_.reset();
    hoveredWindowRect_.reset();
    if (guide_) {
        guide_->setCrosshair(std::nullopt);
        guide_->showWindowBorder(std::nullopt);
    }
    if (!hadHints) {
        return;
    }
    surface_.hoveredWindowChanged();
    surface_.invalidateUnion(readoutRegion_.current, windowLabelRegion_.current);
    readoutRegion_.current = {};
    windowLabelRegion_.current = {};
    if (perf_.legacyFullRedraw) {
        surface_.repaintAll();
    }
}

void PointerHints::refreshHoveredWindow(Point p) {
    const Point global{p.x + captured_.frame.x, p.y + captured_.frame.y};
    for (const tessary::OnScreenWindow& window : windows_) {
        if (!SG::containsClosed(window.frame, global)) {
            continue;
        }
        const Rect r =
            tessary::WindowGeometry::canvasRect(window.frame, captured_.frame).intersected(surface_.bounds());
        if (r.isEmpty()) {
            setHoveredWindow(std::nullopt, std::nullopt);
        } else {
            setHoveredWindow(window, r);
        }
        return;
    }
    setHoveredWindow(std::nullopt, std::nullopt);
}

void PointerHints::setHoveredWindow(const std::optional<tessary::OnScreenWindow>& window,
                                    const std::optional<Rect>& rect) {
    if (window == hoveredWindow_ && rect == hoveredWindowRect_) {
        return;
    }
    const Rect before = windowLabelArea(hoveredWindowRect_);
    hoveredWindow_ = window;
    hoveredWindowRect_ = rect;
    surface_.hoveredWindowChanged();
    if (guide_) {
        guide_->showWindowBorder(rect);
    }
    const Rect after = windowLabelArea(hoveredWindowRect_);
    surface_.invalidateUnion(before, after);
    windowLabelRegion_.current = after;
}

Rect PointerHints::windowLabelArea(const std::optional<Rect>& hovered) const {
    if (!hovered || !hoveredWindow_) {
        return {};
    }
    return SelectionLabelPainter::windowLabelArea(*hovered, QString::fromStdString(hoveredWindow_->appName),
                                                  captured_.scale, surface_.bounds());
}

void PointerHints::paint(QPainter& painter, const QRegion& region, bool pickerShown, double scale) {
    const Rect bounds = surface_.bounds();
    if (!pickerShown && hoveredWindowRect_ && hoveredWindow_) {
        SelectionLabelPainter::drawSizeLabel(painter, *hoveredWindowRect_, captured_.scale, bounds);
        SelectionLabelPainter::drawWindowName(painter, *hoveredWindowRect_,
                                              QString::fromStdString(hoveredWindow_->appName),
                                              captured_.scale, bounds);
    }
    if (point_ && pixel_ && color_) {
        readout_.paint(painter, region, bounds, scale, *point_, *pixel_, *color_);
    }
}
