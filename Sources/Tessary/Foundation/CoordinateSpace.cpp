#include "Foundation/CoordinateSpace.h"

#include <QGuiApplication>
#include <QScreen>

namespace CoordinateSpace {

QRectF primaryGeometry() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

tessary::Point fromQtGlobal(QPointF point, const QRectF& primary) {
    return {point.x() - primary.left(), primary.top() + primary.height() - point.y()};
}

QPointF toQtGlobal(tessary::Point point, const QRectF& primary) {
    return {point.x + primary.left(), primary.top() + primary.height() - point.y};
}

tessary::Rect fromQtGlobal(const QRectF& rect, const QRectF& primary) {
    const QRectF r = rect.normalized();
    const tessary::Point lowerLeft = fromQtGlobal(r.bottomLeft(), primary);
    return {lowerLeft.x, lowerLeft.y, r.width(), r.height()};
}

QRectF toQtGlobal(const tessary::Rect& rect, const QRectF& primary) {
    const tessary::Rect r = rect.standardized();
    const QPointF topLeft = toQtGlobal(tessary::Point{r.minX(), r.maxY()}, primary);
    return {topLeft, QSizeF(r.width, r.height)};
}

tessary::Point fromQtGlobal(QPointF point) {
    return fromQtGlobal(point, primaryGeometry());
}
QPointF toQtGlobal(tessary::Point point) {
    return toQtGlobal(point, primaryGeometry());
}
tessary::Rect fromQtGlobal(const QRectF& rect) {
    return fromQtGlobal(rect, primaryGeometry());
}
QRectF toQtGlobal(const tessary::Rect& rect) {
    return toQtGlobal(rect, primaryGeometry());
}

tessary::Point fromWidget(QPointF point, double canvasHeight) {
    return {point.x(), canvasHeight - point.y()};
}

QPointF toWidget(tessary::Point point, double canvasHeight) {
    return {point.x, canvasHeight - point.y};
}

tessary::Rect fromWidget(const QRectF& rect, double canvasHeight) {
    const QRectF r = rect.normalized();
    return {r.left(), canvasHeight - r.bottom(), r.width(), r.height()};
}

QRectF toWidget(const tessary::Rect& rect, double canvasHeight) {
    const tessary::Rect r = rect.standardized();
    return {r.minX(), canvasHeight - r.maxY(), r.width, r.height};
}

tessary::Rect frameOf(const QScreen* screen) {
    return screen ? fromQtGlobal(QRectF(screen->geometry())) : tessary::Rect{};
}

} // namespace CoordinateSpace
