#pragma once

#include "Overlay/Canvas/ColorPickerPainter.h"
#include "Overlay/Session/OverlayPerfOptions.h"
#include "Overlay/Canvas/TrackedRegion.h"
#include "TessaryCore/OverlayLabelLayout.h"
#include "TessaryCore/PixelColor.h"
#include "TessaryCore/SelectionGeometry.h"

#include <optional>

class CanvasSurface;
class FrozenPixels;
class QObject;
class QPainter;
class QRegion;

// The magnifier and colour panel at the pointer, for the toolbar's picker and the loupe: what it
// samples, copying the colour, and the "copied" mark that clears itself.
class CanvasColorPicker {
public:
    CanvasColorPicker(CanvasSurface& surface, FrozenPixels& pixels, const OverlayPerfOptions& perf,
                      QObject* timerContext);

    const std::optional<tessary::Point>& point() const { return point_; }
    const std::optional<tessary::PixelPoint>& pixel() const { return pixel_; }
    const std::optional<tessary::PixelColor>& color() const { return color_; }
    bool justCopied() const { return justCopied_; }
    const TrackedRegion& region() const { return region_; }
    tessary::OverlayLabelLayout::ColorPicker layout(tessary::Point anchor) const;

    // Samples under `p` (clamped onto the display).
    void track(tessary::Point p);
    void forget();
    void clearCopiedMark() { justCopied_ = false; }
    // Copies the long form of the sampled colour, when there is one.
    void copy();

    // `clickToCopy`: the toolbar's picker, where a press copies; the loupe names the shortcut.
    void paint(QPainter& painter, const QRegion& region, const QImage& frozen, double scale,
               bool clickToCopy);

private:
    CanvasSurface& surface_;
    FrozenPixels& pixels_;
    const OverlayPerfOptions& perf_;
    QObject* timerContext_;
    std::optional<tessary::Point> point_;
    std::optional<tessary::PixelPoint> pixel_;
    std::optional<tessary::PixelColor> color_;
    bool justCopied_ = false;
    TrackedRegion region_;
    ColorPickerPainter painter_;
};
