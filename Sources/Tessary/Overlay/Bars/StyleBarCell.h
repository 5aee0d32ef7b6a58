#pragma once

#include <QWidget>

#include <functional>

// A pickable cell of the style bar; it fires when the left button is released inside it.
class StyleBarCell : public QWidget {
    Q_OBJECT
public:
    StyleBarCell(QSize size, std::function<void()> onPick, QWidget* parent);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The rounded selection plate shared by the weight and sticker cells.
    void paintSelectionPlate(QPainter& painter) const;

private:
    std::function<void()> onPick_;
    bool selected_ = false;
};
