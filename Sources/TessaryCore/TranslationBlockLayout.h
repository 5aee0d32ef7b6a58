#pragma once

#include "TessaryCore/TranslationOverlay.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessary {

// An sRGB colour, components 0 to 1, opaque.
struct RgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// How one translated block is drawn over its source: a patch in the sampled background colour
// covering the source text, and the translation set inside it at the largest size that fits.
struct TranslationBlockLayout {
    TranslationBlock block;
    // Canvas points, y up: the block's rect grown by the cover inset on every side.
    Rect coverRect;
    RgbColor backgroundColor;
    RgbColor textColor;
    // Points; never below TranslationTypesetting::minimumFontSize.
    double fontSize = 0;
    TextBlockAlignment alignment = TextBlockAlignment::leading;
    // Height of the laid-out text, at most the cover's height.
    double textHeight = 0;

    // Where the text is drawn: the cover inset by 1 point on the left and right, and the text's
    // height centred vertically in it.
    Rect textRect() const;
    // Corner radius of the cover patch.
    double cornerRadius() const;
};

namespace TranslationLayouts {

// The colour of the captured image at a canvas point, or nothing outside it.
using Probe = std::function<std::optional<RgbColor>(Point)>;
// The height in points of `text` set at `fontSize` points, word-wrapped in `width` points.
using Measure = std::function<double(const std::string& text, double fontSize, double width)>;

// One layout per covering block of wider and higher than 2 points, in block order.
std::vector<TranslationBlockLayout> layout(const TranslationOverlay& overlay, const Probe& probe,
                                           const Measure& measure);

// The upper median of each channel over 48 points on a ring around `rect`; white without any.
RgbColor sampleBackground(const Rect& rect, const Probe& probe);
// The 85th percentile, by distance from the background, of the clearly different colours inside
// `rect`; with fewer than three of them, dark on light backgrounds and light on dark ones.
RgbColor sampleForeground(const Rect& rect, const RgbColor& background, const Probe& probe);

struct Fit {
    double fontSize = 0;
    // The text's measured height at that size, rounded up to a whole point.
    double height = 0;
};
// The largest size, to within 0.25 point, between the minimum and `upperBound` at which `text`
// wrapped in the cover's width less 2 points is no higher than the cover; the minimum when it
// does not fit even there.
Fit fitFontSize(const std::string& text, const Rect& coverRect, double upperBound, const Measure& measure);

} // namespace TranslationLayouts

} // namespace tessary
