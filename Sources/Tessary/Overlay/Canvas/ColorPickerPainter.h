#pragma once

#include "Overlay/Canvas/MagnifierImage.h"
#include "Overlay/Canvas/OverlaySprite.h"
#include "Overlay/Canvas/PlateCache.h"
#include "TessaryCore/OverlayLabelLayout.h"
#include "TessaryCore/PixelColor.h"
#include "TessaryCore/SelectionGeometry.h"

#include <QString>

#include <optional>

class QImage;
class QPainter;
class QRegion;

// The colour picker's magnifier over the frozen pixels and its panel of position, colour and hint.
// Both are composed in sprites and copied only within the repainted region.
class ColorPickerPainter {
public:
    // The panel's last line.
    enum class Hint { copied, clickToCopy, shortcutToCopy };

    void paint(QPainter& painter, const QRegion& region,
               const tessary::OverlayLabelLayout::ColorPicker& layout, const QImage& frozen,
               double canvasHeight, double scale, tessary::PixelPoint pixel, const tessary::PixelColor& color,
               Hint hint);

private:
    void paintMagnifier(QPainter& painter, const QRegion& region, const tessary::Rect& rect,
                        const QImage& frozen, double canvasHeight, double scale, tessary::PixelPoint pixel);
    void paintPanel(QPainter& painter, const QRegion& region, const tessary::Rect& rect, double canvasHeight,
                    double scale, tessary::PixelPoint pixel, const tessary::PixelColor& color, Hint hint);

    // Looked up once per canvas (lookups read the settings).
    struct Texts {
        QString coordinate;
        QString colorValue;
        QString copied;
        QString copyHint;
        QString copyShortcutHint;
    };
    const Texts& texts();

    std::optional<Texts> texts_;
    OverlaySprite panelSprite_;
    OverlaySprite magnifierSprite_;
    MagnifierImage magnifier_;
    PlateCache panelPlate_;
};
