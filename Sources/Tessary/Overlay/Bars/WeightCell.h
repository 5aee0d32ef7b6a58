#pragma once

#include "Overlay/Bars/StyleBarCell.h"
#include "TessaryCore/AnnotationWeight.h"

// A stroke weight shown as a dot of the weight's size.
class WeightCell : public StyleBarCell {
    Q_OBJECT
public:
    static constexpr QSize cellSize{30, 22};

    WeightCell(tessary::AnnotationWeight weight, std::function<void()> onPick, QWidget* parent);
    tessary::AnnotationWeight weight() const { return weight_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    tessary::AnnotationWeight weight_;
};
