#include "Overlay/Canvas/CanvasColorPicker.h"

#include "Foundation/Log.h"
#include "Output/Clipboard.h"
#include "Overlay/Canvas/CanvasSurface.h"
#include "Overlay/Canvas/FrozenPixels.h"

#include <QTimer>

using tessary::Point;
using tessary::Rect;
namespace SG = tessary::SelectionGeometry;

CanvasColorPicker::CanvasColorPicker(CanvasSurface& surface, FrozenPixels& pixels,
                                     const OverlayPerfOptions& perf, QObject* timerContext)
    : surface_(surface), pixels_(pixels), perf_(perf), timerContext_(timerContext) {}

tessary::OverlayLabelLayout::ColorPicker CanvasColorPicker::layout(Point anchor) const {
    return tessary::OverlayLabelLayout::colorPicker(anchor, surface_.bounds());
}

void CanvasColorPicker::track(Point p) {
    const Rect bounds = surface_.bounds();
    const Point q = SG::clamp(p, bounds);
    if (point_ == q) {
        return;
    }
    point_ = q;
    if (bounds.isEmpty() || pixels_.image().isNull()) {
        pixel_.reset();
        color_.reset();
        surface_.invalidateUnion(region_.current, {});
        region_.current = {};
        return;
    }
    pixel_ = pixels_.pixelAt(q, bounds.size());
    color_ = pixels_.color(*pixel_);
    const auto place = layout(q);
    const Rect next = SG::united(place.magnifier, place.panel);
    if (perf_.legacyFullRedraw) {
        surface_.repaintAll();
    } else {
        surface_.invalidateUnion(region_.current, next);
    }
    region_.current = next;
}

void CanvasColorPicker::forget() {
    point_.reset();
    pixel_.reset();
    color_.reset();
    justCopied_ = false;
    surface_.invalidateUnion(region_.current, {});
    region_.current = {};
}

void CanvasColorPicker::copy() {
    if (!color_) {
        return;
    }
    const QString text = QString::fromStdString(color_->clipboardString());
    Clipboard::writeText(text);
    Log::info(QStringLiteral("取色器：") + text + QStringLiteral(" 已写剪贴板。"));
    justCopied_ = true;
    surface_.invalidateUnion(region_.current, {});
    // Each copy schedules its own reset; the first one to fire clears the mark. The timers go with
    // their context, the canvas that owns this picker.
    QTimer::singleShot(1200, timerContext_, [this] {
        justCopied_ = false;
        surface_.invalidateUnion(region_.current, {});
    });
}

void CanvasColorPicker::paint(QPainter& painter, const QRegion& region, const QImage& frozen, double scale,
                              bool clickToCopy) {
    if (!point_ || !pixel_ || !color_) {
        return;
    }
    const ColorPickerPainter::Hint hint = justCopied_   ? ColorPickerPainter::Hint::copied
                                          : clickToCopy ? ColorPickerPainter::Hint::clickToCopy
                                                        : ColorPickerPainter::Hint::shortcutToCopy;
    painter_.paint(painter, region, layout(*point_), frozen, surface_.bounds().height, scale, *pixel_,
                   *color_, hint);
}
