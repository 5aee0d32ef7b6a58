#pragma once

#include <optional>
#include <vector>

namespace tessary {

// A rectangle of whole units, rows top-down (Qt's y-down logical space or an image's pixels).
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Where each display lies in one image of the whole desktop, as a desktop portal returns it: the
// image covers the bounding box of the displays' logical geometry at one scale for all of them
// (a compositor renders the lower-scale displays up to the highest scale).
struct CompositeImageLayout {
    // Pixels per logical unit of the whole image.
    int scale = 1;
    // One rectangle of the image per display, in the order given.
    std::vector<PixelRect> displays;

    // Nothing when the image does not cover the displays' bounding box at one whole-number scale
    // (a different layout, or a display added or removed since the image was taken).
    static std::optional<CompositeImageLayout> of(const std::vector<PixelRect>& logicalDisplays,
                                                  int imageWidth, int imageHeight);
};

} // namespace tessary
