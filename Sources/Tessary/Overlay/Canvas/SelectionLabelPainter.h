#pragma once

#include "TessaryCore/OverlayLabelLayout.h"

#include <QSizeF>
#include <QString>

class QPainter;

// The size label at a selection (or hovered window) and the window's name beside it.
namespace SelectionLabelPainter {

struct SizeLabel {
    QString text;
    tessary::OverlayLabelLayout::Label label;
    QSizeF textSize;
};
SizeLabel sizeLabel(const tessary::Rect& rect, double scale, const tessary::Rect& bounds);

struct WindowName {
    QString text;
    tessary::OverlayLabelLayout::WindowNameLabel label;
};
WindowName windowName(const tessary::Rect& sizeLabelBackground, const QString& name,
                      const tessary::Rect& bounds);

// The canvas area both labels of a hovered window cover.
tessary::Rect windowLabelArea(const tessary::Rect& hovered, const QString& name, double scale,
                              const tessary::Rect& bounds);

void drawSizeLabel(QPainter& painter, const tessary::Rect& rect, double scale, const tessary::Rect& bounds);
void drawWindowName(QPainter& painter, const tessary::Rect& rect, const QString& name, double scale,
                    const tessary::Rect& bounds);

} // namespace SelectionLabelPainter
