#include "Overlay/Canvas/SelectionLabelPainter.h"

#include "Foundation/CoordinateSpace.h"
#include "Overlay/Canvas/OverlayText.h"
#include "Foundation/Theme.h"
#include "TessaryCore/SelectionGeometry.h"

#include <QPainter>
#include <QPainterPath>

namespace Layout = tessary::OverlayLabelLayout;
using tessary::Rect;

namespace SelectionLabelPainter {

SizeLabel sizeLabel(const Rect& rect, double scale, const Rect& bounds) {
    SizeLabel layout;
    layout.text = QString::fromStdString(tessary::SelectionGeometry::sizeLabelText(rect, scale));
    layout.textSize = OverlayText::measure(layout.text, Theme::sizeLabelFont());
    layout.label = Layout::sizeLabel(rect, {layout.textSize.width(), layout.textSize.height()}, bounds);
    return layout;
}

WindowName windowName(const Rect& sizeLabelBackground, const QString& name, const Rect& bounds) {
    WindowName layout;
    layout.text = name;
    const QSizeF size = OverlayText::measure(name, Theme::windowNameFont());
    layout.label = Layout::windowNameLabel(sizeLabelBackground, {size.width(), size.height()}, bounds);
    return layout;
}

Rect windowLabelArea(const Rect& hovered, const QString& name, double scale, const Rect& bounds) {
    const SizeLabel size = sizeLabel(hovered, scale, bounds);
    const WindowName label = windowName(size.label.background, name, bounds);
    return tessary::SelectionGeometry::united(size.label.background, label.label.background);
}

void drawSizeLabel(QPainter& painter, const Rect& rect, double scale, const Rect& bounds) {
    const SizeLabel layout = sizeLabel(rect, scale, bounds);
    QPainterPath background;
    background.addRoundedRect(CoordinateSpace::toWidget(layout.label.background, bounds.height), 5, 5);
    painter.fillPath(background, Theme::floatingLabelBackground());
    painter.setPen(Theme::sizeLabelColor());
    OverlayText::drawAt(painter, layout.text, Theme::sizeLabelFont(), layout.label.textOrigin, bounds.height);
}

void drawWindowName(QPainter& painter, const Rect& rect, const QString& name, double scale,
                    const Rect& bounds) {
    const SizeLabel size = sizeLabel(rect, scale, bounds);
    const WindowName layout = windowName(size.label.background, name, bounds);
    QPainterPath background;
    background.addRoundedRect(CoordinateSpace::toWidget(layout.label.background, bounds.height), 5, 5);
    painter.fillPath(background, Theme::windowNameBackground());
    painter.setPen(Theme::windowNameColor());
    const Rect& text = layout.label.textRect;
    OverlayText::drawAt(painter, layout.text, Theme::windowNameFont(), {text.x, text.y}, bounds.height,
                        text.width);
}

} // namespace SelectionLabelPainter
