#pragma once

#include "Overlay/Canvas/OverlaySprite.h"
#include "Overlay/Canvas/PlateCache.h"
#include "TessaryCore/OverlayLabelLayout.h"
#include "TessaryCore/PixelColor.h"
#include "TessaryCore/SelectionGeometry.h"

#include <QString>

#include <optional>

class QPainter;
class QRegion;

// The readout beside the pointer before a selection: pixel position, colour and the copy hint.
// Composed in a sprite and copied only within the repainted region.
class PointerReadoutPainter {
public:
    // Where the readout goes for the pointer at `pointer` on a canvas of `bounds`.
    tessary::OverlayLabelLayout::Readout layout(tessary::Point pointer, const tessary::Rect& bounds);

    void paint(QPainter& painter, const QRegion& region, const tessary::Rect& bounds, double scale,
               tessary::Point point, tessary::PixelPoint pixel, const tessary::PixelColor& color);

private:
    struct Metrics {
        QString coordinateLabel;
        QString colorLabel;
        QString hint;
        tessary::OverlayLabelLayout::ReadoutMetrics layout;
    };
    // Looked up once per canvas (lookups read the settings).
    const Metrics& metrics();

    std::optional<Metrics> metrics_;
    OverlaySprite sprite_;
    PlateCache plate_;
};
