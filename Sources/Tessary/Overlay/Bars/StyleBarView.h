#pragma once

#include "Overlay/Bars/FloatingBar.h"
#include "TessaryCore/AnnotationColor.h"
#include "TessaryCore/AnnotationStyle.h"
#include "TessaryCore/AnnotationWeight.h"

#include <QRectF>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ColorCell;
class StickerCell;
class WeightCell;

// The palette, the three weights and, for the sticker tool, the emoji stickers. The bar keeps its
// own current style and sticker; every change goes through it, so it stays in step with the canvas.
class StyleBarView : public FloatingBar {
    Q_OBJECT
public:
    // UTF-8; "⭐️" and "❗️" keep their emoji presentation selector.
    static const std::array<std::string, 10>& stickers();

    StyleBarView(std::function<void(tessary::AnnotationColor)> onColorPick,
                 std::function<void(tessary::AnnotationWeight)> onWeightPick,
                 std::function<void(const std::string&)> onStickerPick, QWidget* parent = nullptr);

    const std::vector<ColorCell*>& colorCells() const { return colorCells_; }
    const std::vector<WeightCell*>& weightCells() const { return weightCells_; }
    const std::vector<StickerCell*>& stickerCells() const { return stickerCells_; }
    // The separator before the stickers, while they are shown.
    const std::optional<QRectF>& stickerSeparator() const { return stickerSeparator_; }

    const tessary::AnnotationStyle& style() const { return style_; }
    const std::string& sticker() const { return sticker_; }

    bool showsStickers() const { return showsStickers_; }
    // Re-lays the bar when the value changes.
    void setShowsStickers(bool shows);
    void layOutContent();

    // Re-reads the colour tooltips; runs by itself when the language changes.
    void applyTexts();

protected:
    void paintOverBackdrop(QPainter& painter) override;

private:
    void refreshSelectionMarks();

    std::function<void(tessary::AnnotationColor)> onColorPick_;
    std::function<void(tessary::AnnotationWeight)> onWeightPick_;
    std::function<void(const std::string&)> onStickerPick_;
    std::vector<ColorCell*> colorCells_;
    std::vector<WeightCell*> weightCells_;
    std::vector<StickerCell*> stickerCells_;
    std::optional<QRectF> stickerSeparator_;
    tessary::AnnotationStyle style_ = tessary::AnnotationStyle::defaultStyle();
    std::string sticker_ = stickers().front();
    bool showsStickers_ = false;
};
