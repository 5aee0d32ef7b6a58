#include "TessaryCore/ToolbarLayout.h"

namespace tessary {

namespace ToolbarLayout {

Layout layOut(std::span<const int> groups) {
    Layout layout;
    double x = margin;
    std::optional<int> previous;
    for (const int group : groups) {
        if (previous && *previous != group) {
            layout.separators.push_back({x + 7, separatorY, separatorWidth, separatorHeight});
            x += separatorAdvance;
        }
        previous = group;
        layout.buttons.push_back({x, buttonY, buttonWidth, buttonHeight});
        x += buttonWidth;
    }
    layout.size = {x + margin, barHeight};
    return layout;
}

} // namespace ToolbarLayout

namespace StyleBarLayout {

Layout layOut(std::size_t colorCount, std::size_t weightCount, std::size_t stickerCount, bool showsStickers) {
    Layout layout;
    double x = margin;
    for (std::size_t i = 0; i < colorCount; ++i) {
        layout.colors.push_back({x, cellY, colorCell.width, colorCell.height});
        x += colorAdvance;
    }
    // Without colours the weights still start where the first colour's gap would have put them.
    x = colorCount > 0 ? x + colorGroupGap : margin + colorGroupGap;
    for (std::size_t i = 0; i < weightCount; ++i) {
        layout.weights.push_back({x, cellY, weightCell.width, weightCell.height});
        x += weightCell.width;
    }
    if (showsStickers) {
        layout.separator = separatorShape.offsetBy(x, 0);
        x += separatorAdvance;
        for (std::size_t i = 0; i < stickerCount; ++i) {
            layout.stickers.push_back({x, cellY, stickerCell.width, stickerCell.height});
            x += stickerCell.width;
        }
    }
    layout.size = {x + margin, barHeight};
    return layout;
}

} // namespace StyleBarLayout

} // namespace tessary
