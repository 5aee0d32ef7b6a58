#pragma once

#include "Overlay/Session/CapturedDisplay.h"
#include "Overlay/Session/OverlayPerfOptions.h"
#include "Overlay/Canvas/PointerReadoutPainter.h"
#include "Overlay/Canvas/TrackedRegion.h"
#include "TessaryCore/OnScreenWindow.h"
#include "TessaryCore/PixelColor.h"
#include "TessaryCore/SelectionGeometry.h"

#include <QPointer>

#include <optional>
#include <vector>

class CanvasSurface;
class FrozenPixels;
class OverlayGuideView;
class QPainter;
class QRegion;

// What follows the pointer before a selection: the crosshair, the readout of pixel and colour,
// and the window under the pointer with its size and name labels.
class PointerHints {
public:
    PointerHints(CanvasSurface& surface, FrozenPixels& pixels, const CapturedDisplay& captured,
                 const std::vector<tessary::OnScreenWindow>& windows, const OverlayPerfOptions& perf);

    void setGuide(OverlayGuideView* guide) { guide_ = guide; }
    OverlayGuideView* guide() const { return guide_; }

    const std::optional<tessary::Point>& point() const { return point_; }
    const std::optional<tessary::PixelPoint>& pixel() const { return pixel_; }
    const std::optional<tessary::PixelColor>& color() const { return color_; }
    const std::optional<tessary::OnScreenWindow>& hoveredWindow() const { return hoveredWindow_; }
    const std::optional<tessary::Rect>& hoveredWindowRect() const { return hoveredWindowRect_; }
    const TrackedRegion& readoutRegion() const { return readoutRegion_; }
    const TrackedRegion& windowLabelRegion() const { return windowLabelRegion_; }

    // The pointer is at `p` over the display with nothing selected.
    void track(tessary::Point p);
    void clear();
    // Takes the window under `p` (or none) as the hovered one.
    void refreshHoveredWindow(tessary::Point p);

    // The window's labels (unless the picker covers them) and the readout.
    void paint(QPainter& painter, const QRegion& region, bool pickerShown, double scale);

private:
    void setHoveredWindow(const std::optional<tessary::OnScreenWindow>& window,
                          const std::optional<tessary::Rect>& rect);
    tessary::Rect windowLabelArea(const std::optional<tessary::Rect>& hovered) const;

    CanvasSurface& surface_;
    FrozenPixels& pixels_;
    const CapturedDisplay& captured_;
    const std::vector<tessary::OnScreenWindow>& windows_;
    const OverlayPerfOptions& perf_;
    QPointer<OverlayGuideView> guide_;

    std::optional<tessary::Point> point_;
    std::optional<tessary::PixelPoint> pixel_;
    std::optional<tessary::PixelColor> color_;
    std::optional<tessary::OnScreenWindow> hoveredWindow_;
    std::optional<tessary::Rect> hoveredWindowRect_;
    TrackedRegion readoutRegion_;
    TrackedRegion windowLabelRegion_;
    PointerReadoutPainter readout_;
};
