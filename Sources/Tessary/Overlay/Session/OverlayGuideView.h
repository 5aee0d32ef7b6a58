#pragma once

#include "TessaryCore/Geometry.h"

#include <QWidget>

#include <optional>

// Crosshair lines through the pointer and the border of the hovered window, drawn over the
// backdrop and under the canvas. Never takes the mouse.
class OverlayGuideView : public QWidget {
    Q_OBJECT
public:
    static constexpr double crosshairLength = 420;
    static constexpr double crosshairThickness = 1.5;
    static constexpr double windowBorderWidth = 1.5;

    explicit OverlayGuideView(QWidget* parent);

    // Lines centred on a canvas point (y-up); none hides them.
    void setCrosshair(const std::optional<tessary::Point>& center);
    const std::optional<tessary::Point>& crosshair() const { return crosshair_; }

    // Border of exactly `rect` (canvas points); none or empty hides it.
    void showWindowBorder(const std::optional<tessary::Rect>& rect);
    const std::optional<tessary::Rect>& windowBorder() const { return windowBorder_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRegion crosshairArea(const std::optional<tessary::Point>& center) const;
    QRegion borderArea(const std::optional<tessary::Rect>& rect) const;

    std::optional<tessary::Point> crosshair_;
    std::optional<tessary::Rect> windowBorder_;
};
