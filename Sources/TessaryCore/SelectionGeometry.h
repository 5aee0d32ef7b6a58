#pragma once

#include "TessaryCore/Geometry.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// A rectangle of whole image pixels, rows counted from the top.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool isEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Declaration order is the hit-test order.
enum class SelectionHandle { topLeft, top, topRight, right, bottomRight, bottom, bottomLeft, left };

inline constexpr std::array<SelectionHandle, 8> allSelectionHandles{
    SelectionHandle::topLeft,    SelectionHandle::top,         SelectionHandle::topRight,
    SelectionHandle::right,      SelectionHandle::bottomRight, SelectionHandle::bottom,
    SelectionHandle::bottomLeft, SelectionHandle::left};

std::string_view handleName(SelectionHandle handle);

// Selection rules of the capture canvas. Canvas points are y-up with the origin at the
// display's lower-left corner; images are in pixels with rows top-down.
namespace SelectionGeometry {

inline constexpr double minimumSelectionSide = 3;
inline constexpr double handleSize = 8;
inline constexpr double handleHitMargin = 5;
// A press on a window that moves no further than this still takes the window.
inline constexpr double windowDragThreshold = 4;
// Smallest selection side (points) that yields an image at all.
inline constexpr double minimumImageSide = 1;

// Nearest integer, halves away from zero (20.5 → 21, −0.5 → −1).
double roundHalfAwayFromZero(double value);

// Pixel rectangle of the frozen image under a selection; nothing for a selection under
// one point on a side or one that misses the image.
std::optional<PixelRect> cropRect(const Rect& selection, double canvasHeight, double scale, int imageWidth,
                                  int imageHeight);

// Image pixel under a canvas point (the point is clamped into the bounds first).
PixelPoint pixelUnder(Point point, Size bounds, int imageWidth, int imageHeight);

Point clamp(Point point, const Rect& bounds);
// Closed containment: points on the edges count as inside.
bool containsClosed(const Rect& rect, Point point);
Rect insetBy(const Rect& rect, double dx, double dy);
// Union that ignores empty operands.
Rect united(const Rect& a, const Rect& b);

// Normalised rectangle spanned by two corners.
Rect spanned(Point anchor, Point point);
bool exceedsWindowDragThreshold(Point anchor, Point point);

Point handlePoint(const Rect& rect, SelectionHandle handle);
Rect handleRect(const Rect& rect, SelectionHandle handle);
Rect handleHitArea(const Rect& rect, SelectionHandle handle);
std::optional<SelectionHandle> hitHandle(const Rect& selection, Point point);

// Dragging `handle` of `origin` to `point`; crossing the opposite edge flips instead of going negative.
Rect resized(const Rect& origin, SelectionHandle handle, Point point);
// `origin` moved by the drag and pushed back inside the bounds; the size never changes.
Rect moved(const Rect& origin, Point grabbedAt, Point point, const Rect& bounds);

// Area a selection change must repaint: both rectangles with their label band, grown by 2.
Rect selectionChangeDirtyRect(const std::optional<Rect>& before, const std::optional<Rect>& after,
                              const Rect& bounds);

// "1512 x 982", with " @2x" or " @1.5x" on displays whose scale is not 1.
std::string sizeLabelText(const Rect& rect, double scale);

} // namespace SelectionGeometry
} // namespace tessary
