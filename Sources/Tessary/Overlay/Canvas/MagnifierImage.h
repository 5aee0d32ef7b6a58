#pragma once

#include "TessaryCore/SelectionGeometry.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

class OverlaySprite;
class QRectF;

// The magnifier's picture: a block of captured pixels scaled up without smoothing, cut to the
// rounded outline, with the outline and the centre cross on top. The outline's coverage and that
// chrome are drawn once per size and scale; a frame only copies and scales pixels.
class MagnifierImage {
public:
    static constexpr double cornerRadius = 9;

    // Composes the magnifier for `rect` (widget points) showing `sample` of `source` into `sprite`.
    // The rectangle is moved onto whole device pixels.
    void compose(OverlaySprite& sprite, const QRectF& rect, double scale, const QImage& source,
                 const tessary::PixelRect& sample);

private:
    void prepare(QSize pixels, double scale);

    QSize pixels_;
    double scale_ = 0;
    int margin_ = 0;
    QImage chrome_;
    std::vector<uint8_t> coverage_;
    // Per content row: how many pixels at its start and at its end lie not wholly inside the outline.
    std::vector<int> leadingRun_;
    std::vector<int> trailingRun_;
};
