#pragma once

#include "TessaryCore/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessary::ScrollingPanelLayout {

// A display as the panel placement sees it, in global points (y up).
struct ScreenArea {
    Rect frame;
    Rect visibleFrame;
};

inline constexpr double margin = 14;

// Where the progress panel of `panel` size goes beside the captured `region`: right of it, else left,
// else centred below (or above when below does not fit), always kept 14 points inside the visible frame
// of the first screen the region touches (else of the first screen, the main one). Returns the origin.
Point place(const Rect& region, Size panel, const std::vector<ScreenArea>& screens);

// How many of the oldest strips (heights in pixels, oldest first) the preview can drop: the newest strips
// scaled to the view width already fill the view height without them. Nothing while the width is unknown.
std::size_t stripsToDrop(const std::vector<std::int64_t>& heights, std::int64_t pixelWidth, double viewWidth,
                         double viewHeight);

} // namespace tessary::ScrollingPanelLayout
