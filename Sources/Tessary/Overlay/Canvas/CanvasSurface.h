#pragma once

#include "TessaryCore/Geometry.h"

// What the canvas's parts ask of the view they draw on. Areas are canvas points, y up.
class CanvasSurface {
public:
    virtual ~CanvasSurface() = default;

    virtual tessary::Rect bounds() const = 0;
    // Repaints the union of two areas, with room for antialiasing; empty areas are ignored.
    virtual void invalidateUnion(const tessary::Rect& a, const tessary::Rect& b) = 0;
    // Repaints everything (the full-redraw comparison path).
    virtual void repaintAll() = 0;
    // The hovered window changed, and with it the area the backdrop leaves undimmed.
    virtual void hoveredWindowChanged() = 0;
};
