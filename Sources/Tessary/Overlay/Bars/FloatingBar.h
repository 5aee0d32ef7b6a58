#pragma once

#include "TessaryCore/Geometry.h"

#include <QRect>
#include <QWidget>

class QPainter;

// A bar floating over the canvas (toolbar, style bar): a translucent rounded plate that never
// takes focus, and that keeps every press on it, gaps included, away from the canvas below.
class FloatingBar : public QWidget {
    Q_OBJECT
public:
    explicit FloatingBar(QWidget* parent = nullptr);

protected:
    // Whole-point widget geometry for a rectangle of the bar's layout (top-left origin).
    static QRect widgetRect(const tessary::Rect& rect);
    // Draws what lies on the plate (separators); the plate is already drawn.
    virtual void paintOverBackdrop(QPainter& painter) = 0;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
