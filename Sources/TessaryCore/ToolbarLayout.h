#pragma once

#include "TessaryCore/Geometry.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace tessary {

// Frames of the toolbar's buttons and group separators in the bar's own coordinates. Every frame
// is vertically centred in the bar, so the same numbers hold with y up or y down.
namespace ToolbarLayout {

inline constexpr double buttonWidth = 48;
inline constexpr double buttonHeight = 36;
inline constexpr double barHeight = 44;
inline constexpr double margin = 10;
inline constexpr double buttonY = 4;
inline constexpr double separatorWidth = 1;
inline constexpr double separatorHeight = 26;
inline constexpr double separatorY = 9;
// Horizontal room a separator takes between two groups.
inline constexpr double separatorAdvance = 15;
inline constexpr double cornerRadius = 10;

struct Layout {
    std::vector<Rect> buttons;
    std::vector<Rect> separators;
    Size size;
};

// `groups` holds each button's group, in button order; a separator goes before every button
// whose group differs from the previous button's.
Layout layOut(std::span<const int> groups);

} // namespace ToolbarLayout

// Cells of the style bar: palette colours, weights and, for the sticker tool, the stickers.
namespace StyleBarLayout {

inline constexpr double barHeight = 38;
inline constexpr double margin = 10;
inline constexpr double cellY = 8;
inline constexpr Size colorCell{22, 22};
inline constexpr double colorAdvance = 29;
// Extra room between the last colour and the first weight.
inline constexpr double colorGroupGap = 7;
inline constexpr Size weightCell{30, 22};
inline constexpr Size stickerCell{32, 22};
inline constexpr Rect separatorShape{7, 9, 1, 20};
inline constexpr double separatorAdvance = 15;

struct Layout {
    std::vector<Rect> colors;
    std::vector<Rect> weights;
    // Empty and no separator unless stickers are shown.
    std::vector<Rect> stickers;
    std::optional<Rect> separator;
    Size size;
};

Layout layOut(std::size_t colorCount, std::size_t weightCount, std::size_t stickerCount, bool showsStickers);

} // namespace StyleBarLayout

} // namespace tessary
