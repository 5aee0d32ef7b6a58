#include "Overlay/Canvas/ColorPickerPainter.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Fonts.h"
#include "Foundation/L10n.h"
#include "Overlay/Canvas/OverlayText.h"
#include "Foundation/Theme.h"

#include <QPainter>

namespace Layout = tessary::OverlayLabelLayout;
using tessary::Rect;

namespace {

QFont labelFont() {
    static const QFont font = Fonts::system(12, Fonts::Weight::regular);
    return font;
}
QFont valueFont() {
    static const QFont font = Fonts::monospaced(12, Fonts::Weight::medium);
    return font;
}
QFont hintFont() {
    static const QFont font = Fonts::system(11, Fonts::Weight::regular);
    return font;
}

} // namespace

const ColorPickerPainter::Texts& ColorPickerPainter::texts() {
    if (!texts_) {
        texts_ = Texts{L10n::text(QStringLiteral("colorPicker.coordinate")),
                       L10n::text(QStringLiteral("colorPicker.colorValue")),
                       L10n::text(QStringLiteral("colorPicker.copied")),
                       L10n::text(QStringLiteral("colorPicker.copyHint")),
                       L10n::text(QStringLiteral("colorPicker.copyShortcutHint"))};
    }
    return *texts_;
}

void ColorPickerPainter::paint(QPainter& painter, const QRegion& region, const Layout::ColorPicker& layout,
                               const QImage& frozen, double canvasHeight, double scale,
                               tessary::PixelPoint pixel, const tessary::PixelColor& color, Hint hint) {
    paintMagnifier(painter, region, layout.magnifier, frozen, canvasHeight, scale, pixel);
    paintPanel(painter, region, layout.panel, canvasHeight, scale, pixel, color, hint);
}

void ColorPickerPainter::paintMagnifier(QPainter& painter, const QRegion& region, const Rect& rect,
                                        const QImage& frozen, double canvasHeight, double scale,
                                        tessary::PixelPoint pixel) {
    const tessary::PixelRect sample = Layout::magnifierSample(pixel, frozen.width(), frozen.height());
    if (sample.isEmpty()) {
        return;
    }
    magnifier_.compose(magnifierSprite_, CoordinateSpace::toWidget(rect, canvasHeight), scale, frozen,
                       sample);
    magnifierSprite_.paint(painter, region);
}

void ColorPickerPainter::paintPanel(QPainter& painter, const QRegion& region, const Rect& rect,
                                    double canvasHeight, double scale, tessary::PixelPoint pixel,
                                    const tessary::PixelColor& color, Hint hint) {
    // One point of room around the panel for the outer half of its border.
    const QRectF area = CoordinateSpace::toWidget(rect, canvasHeight).adjusted(-1, -1, 1, 1);
    panelSprite_.begin(area, scale,
                       panelPlate_.plate(area.size(), scale, 9, Theme::colorPickerPanelBackground(),
                                         Theme::colorPickerPanelBorder()));
    QPainter sprite;
    panelSprite_.preparePainter(sprite);
    const double h = canvasHeight;
    const Texts& t = texts();
    sprite.setPen(Theme::colorPickerLabelColor());
    OverlayText::drawAt(sprite, t.coordinate, labelFont(), {rect.minX() + 11, rect.maxY() - 25}, h);
    OverlayText::drawAt(sprite, t.colorValue, labelFont(), {rect.minX() + 11, rect.maxY() - 45}, h);
    sprite.setPen(Theme::colorPickerValueColor());
    OverlayText::drawAt(sprite, QStringLiteral("%1, %2").arg(pixel.x).arg(pixel.y), valueFont(),
                        {rect.minX() + 56, rect.maxY() - 25}, h);
    OverlayText::drawAt(sprite, QString::fromStdString(color.hexString()), valueFont(),
                        {rect.minX() + 56, rect.maxY() - 45}, h);
    const QString& line = hint == Hint::copied        ? t.copied
                          : hint == Hint::clickToCopy ? t.copyHint
                                                      : t.copyShortcutHint;
    sprite.setPen(Theme::colorPickerHintColor());
    OverlayText::drawAt(sprite, line, hintFont(), {rect.minX() + 11, rect.minY() + 10}, h, rect.width - 22);
    sprite.end();
    panelSprite_.paint(painter, region);
}
