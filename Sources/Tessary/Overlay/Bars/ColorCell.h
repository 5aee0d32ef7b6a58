#pragma once

#include "Overlay/Bars/StyleBarCell.h"
#include "TessaryCore/AnnotationColor.h"

// A palette colour as a round swatch; the selected one is ringed and checked.
class ColorCell : public StyleBarCell {
    Q_OBJECT
public:
    static constexpr QSize cellSize{22, 22};

    ColorCell(tessary::AnnotationColor color, std::function<void()> onPick, QWidget* parent);
    const tessary::AnnotationColor& color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    tessary::AnnotationColor color_;
};
