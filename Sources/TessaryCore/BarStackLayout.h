#pragma once

#include "TessaryCore/Geometry.h"

#include <optional>

namespace tessary {

// The bars that float next to a selection (toolbar, then style bar, then notice), stacked
// downwards and right-aligned with it, inside the canvas bounds (y-up points).
namespace BarStackLayout {

struct Frames {
    Rect toolbar;
    std::optional<Rect> styleBar;
    std::optional<Rect> notice;
};

// Sizes of the bars that are visible; the toolbar takes part in the stack even while
// hidden so that the notice keeps its place under it.
Frames layOut(const Rect& selection, const Rect& bounds, Size toolbar, std::optional<Size> styleBar,
              std::optional<Size> notice);

} // namespace BarStackLayout
} // namespace tessary
