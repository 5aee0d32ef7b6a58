#pragma once

#include "Overlay/Bars/ToolKind.h"

#include <QWidget>

#include <functional>

// One toolbar button: an icon that reports its kind when the left button is released over it.
class ToolButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int buttonWidth = 48;
    static constexpr int buttonHeight = 36;
    // Opacity of the icon of a button that is not actionable.
    static constexpr double dimmedOpacity = 0.3;

    ToolButton(ToolKind kind, std::function<void(ToolKind)> onClick, QWidget* parent = nullptr);

    ToolKind kind() const { return kind_; }
    bool isHovered() const { return hovered_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    // A button that is not actionable ignores clicks and draws its icon dimmed.
    bool isActionable() const { return actionable_; }
    void setActionable(bool actionable);

    // The accessibility press action.
    void accessibilityPress();

    QSize sizeHint() const override { return {buttonWidth, buttonHeight}; }
    // The icon's tint: red for cancel, green for confirm, the label colour otherwise.
    QColor tint() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void trace(const QString& text) const;

    ToolKind kind_;
    std::function<void(ToolKind)> onClick_;
    bool hovered_ = false;
    bool selected_ = false;
    bool actionable_ = true;
};
