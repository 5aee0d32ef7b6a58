#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/SelectionGeometry.h"

namespace tessary {

// Placement of the floating labels, the pointer readout and the colour picker on a canvas
// (y-up points). Text sizes are measured by the caller.
namespace OverlayLabelLayout {

struct Label {
    Rect background;
    // Lower-left corner of the text's line box.
    Point textOrigin;
};

// Size label above `rect` (inside its top when there is no room above), kept 2 points inside.
Label sizeLabel(const Rect& rect, Size textSize, const Rect& bounds);

double windowNameMaxTextWidth(const Rect& bounds);

struct WindowNameLabel {
    Rect background;
    Rect textRect;
};
// Window-name label under the size label; `textSize` measured with windowNameMaxTextWidth().
WindowNameLabel windowNameLabel(const Rect& sizeLabelBackground, Size textSize, const Rect& bounds);

struct ColorPicker {
    Rect magnifier;
    Rect panel;
};
inline constexpr double magnifierSide = 132;
inline constexpr Size pickerPanelSize{154, 76};
ColorPicker colorPicker(Point anchor, const Rect& bounds);

// n × n block of image pixels the magnifier shows around `pixel`, kept inside the image.
PixelRect magnifierSample(PixelPoint pixel, int imageWidth, int imageHeight);

struct ReadoutMetrics {
    double labelWidth = 0;
    double textHeight = 0;
    double width = 0;
    double height = 66;
};
struct Readout {
    Rect background;
    double labelX = 0;
    double valueX = 0;
    double row1Y = 0;
    double row2Y = 0;
    double hintY = 0;
};
// Pointer readout placed far below the pointer (or far above near the bottom edge).
Readout readout(Point pointer, const Rect& bounds, const ReadoutMetrics& metrics);

} // namespace OverlayLabelLayout
} // namespace tessary
