#pragma once

#include "Overlay/Bars/FloatingBar.h"
#include "Overlay/Bars/ToolKind.h"

#include <QRectF>

#include <functional>
#include <optional>
#include <vector>

class ToolButton;

// The row of seventeen tool and action buttons under a selection. A pressed button is reported
// as its ToolKind; presses between the buttons are taken here and never reach the canvas.
class ToolbarView : public FloatingBar {
    Q_OBJECT
public:
    explicit ToolbarView(std::function<void(ToolKind)> onSelect, QWidget* parent = nullptr);

    // In ToolKind order.
    const std::vector<ToolButton*>& buttons() const { return buttons_; }
    ToolButton* button(ToolKind kind) const;
    const std::vector<QRectF>& separators() const { return separators_; }

    // Every button's selection mark: only `kind` is marked (none without a kind).
    void setHighlightedKind(std::optional<ToolKind> kind);
    // Enables the QR button; its tooltip explains a disabled one.
    void setQRAvailable(bool available);
    bool qrAvailable() const { return qrAvailable_; }
    // A translation is running: the translate button cannot be pressed again.
    void setTranslateBusy(bool busy);
    // A translation overlay is showing: the translate button is marked.
    void setTranslateActive(bool active);
    // The canvas passes whether its store can undo.
    void setUndoEnabled(bool enabled);

    // Re-reads tooltips and accessibility texts; runs by itself when the language changes.
    void applyTexts();

protected:
    void paintOverBackdrop(QPainter& painter) override;

private:
    void applyQRTexts();

    std::function<void(ToolKind)> onSelect_;
    std::vector<ToolButton*> buttons_;
    std::vector<QRectF> separators_;
    bool qrAvailable_ = false;
};
