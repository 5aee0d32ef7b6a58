#pragma once

#include "TessaryCore/Geometry.h"

#include <QPointF>
#include <QRectF>

class QScreen;

// The one place where Tessary's model coordinates meet Qt's.
//
// Model side, y up, in points:
//   global: origin at the primary display's lower-left corner;
//   canvas: origin at the lower-left corner of the display the canvas covers.
// Qt side, y down, logical pixels (= points):
//   global: QScreen::geometry() space;
//   widget: origin at the widget's top-left corner.
//
// A point is a position; a rectangle keeps its size and has its origin at the corner that is
// lower-left in the model and top-left in Qt.
namespace CoordinateSpace {

// Qt geometry of the primary display (the reference for the global model space); empty without screens.
QRectF primaryGeometry();

// Global conversions against the current primary display.
tessary::Point fromQtGlobal(QPointF point);
QPointF toQtGlobal(tessary::Point point);
tessary::Rect fromQtGlobal(const QRectF& rect);
QRectF toQtGlobal(const tessary::Rect& rect);

// The same against an explicit primary display geometry (tests, snapshots taken earlier).
tessary::Point fromQtGlobal(QPointF point, const QRectF& primary);
QPointF toQtGlobal(tessary::Point point, const QRectF& primary);
tessary::Rect fromQtGlobal(const QRectF& rect, const QRectF& primary);
QRectF toQtGlobal(const tessary::Rect& rect, const QRectF& primary);

// Canvas-local conversions for a canvas (widget) `canvasHeight` points high.
tessary::Point fromWidget(QPointF point, double canvasHeight);
QPointF toWidget(tessary::Point point, double canvasHeight);
tessary::Rect fromWidget(const QRectF& rect, double canvasHeight);
QRectF toWidget(const tessary::Rect& rect, double canvasHeight);

// A screen's frame in global model points.
tessary::Rect frameOf(const QScreen* screen);

} // namespace CoordinateSpace
