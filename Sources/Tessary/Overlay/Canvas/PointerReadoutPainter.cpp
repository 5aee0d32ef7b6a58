#include "Overlay/Canvas/PointerReadoutPainter.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/L10n.h"
#include "Overlay/Canvas/OverlayText.h"
#include "Foundation/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace Layout = tessary::OverlayLabelLayout;

const PointerReadoutPainter::Metrics& PointerReadoutPainter::metrics() {
    if (!metrics_) {
        Metrics m;
        m.coordinateLabel = L10n::text(QStringLiteral("colorPicker.coordinate"));
        m.colorLabel = L10n::text(QStringLiteral("colorPicker.colorValue"));
        m.hint = L10n::text(QStringLiteral("selectionGuide.copyHint"));
        const QFontMetricsF label(Theme::selectionGuideLabelFont());
        const QFontMetricsF value(Theme::selectionGuideValueFont());
        const QFontMetricsF hint(Theme::selectionGuideHintFont());
        m.layout.labelWidth =
            std::max(label.horizontalAdvance(m.coordinateLabel), label.horizontalAdvance(m.colorLabel));
        const double valueWidth = std::max(value.horizontalAdvance(QStringLiteral("9999, 9999")),
                                           value.horizontalAdvance(QStringLiteral("#FFFFFF")));
        m.layout.width = std::max(hint.horizontalAdvance(m.hint), valueWidth + m.layout.labelWidth + 16);
        m.layout.textHeight = std::max({label.height() + label.leading(), value.height() + value.leading(),
                                        hint.height() + hint.leading()});
        m.layout.height = 66;
        metrics_ = m;
    }
    return *metrics_;
}

Layout::Readout PointerReadoutPainter::layout(tessary::Point pointer, const tessary::Rect& bounds) {
    return Layout::readout(pointer, bounds, metrics().layout);
}

void PointerReadoutPainter::paint(QPainter& painter, const QRegion& region, const tessary::Rect& bounds,
                                  double scale, tessary::Point point, tessary::PixelPoint pixel,
                                  const tessary::PixelColor& color) {
    const Metrics& m = metrics();
    const Layout::Readout place = layout(point, bounds);
    const double h = bounds.height;
    const QRectF area = CoordinateSpace::toWidget(place.background, h);
    sprite_.begin(area, scale,
                  plate_.plate(area.size(), scale, 5, Theme::floatingLabelBackground(), std::nullopt));
    QPainter sprite;
    sprite_.preparePainter(sprite);
    sprite.setPen(Theme::selectionGuideTextColor());
    OverlayText::drawAt(sprite, m.coordinateLabel, Theme::selectionGuideLabelFont(),
                        {place.labelX, place.row1Y}, h);
    OverlayText::drawAt(sprite, QStringLiteral("%1, %2").arg(pixel.x).arg(pixel.y),
                        Theme::selectionGuideValueFont(), {place.valueX, place.row1Y}, h);
    OverlayText::drawAt(sprite, m.colorLabel, Theme::selectionGuideLabelFont(), {place.labelX, place.row2Y},
                        h);
    OverlayText::drawAt(sprite, QString::fromStdString(color.hexString()), Theme::selectionGuideValueFont(),
                        {place.valueX, place.row2Y}, h);
    sprite.setPen(Theme::selectionGuideHintColor());
    OverlayText::drawAt(sprite, m.hint, Theme::selectionGuideHintFont(), {place.labelX, place.hintY}, h);
    sprite.end();
    sprite_.paint(painter, region);
}
