#pragma once

class QPainter;
class QRectF;

// The translucent rounded plate behind the toolbar and the style bar.
namespace BarBackdrop {
inline constexpr double cornerRadius = 10;
void paint(QPainter& painter, const QRectF& bounds);
} // namespace BarBackdrop
