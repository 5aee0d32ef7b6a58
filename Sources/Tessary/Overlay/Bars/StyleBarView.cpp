#include "Overlay/Bars/StyleBarView.h"

#include "Foundation/L10n.h"
#include "Overlay/Bars/ColorCell.h"
#include "Overlay/Bars/StickerCell.h"
#include "Foundation/Theme.h"
#include "Overlay/Bars/WeightCell.h"
#include "TessaryCore/ToolbarLayout.h"

#include <QPainter>

const std::array<std::string, 10>& StyleBarView::stickers() {
    static const std::array<std::string, 10> set{
        "👍", "👀", "✅", "❌", "\u2B50\uFE0F", "🔥", "\u2757\uFE0F", "❓", "💡", "🎯",
    };
    return set;
}

StyleBarView::StyleBarView(std::function<void(tessary::AnnotationColor)> onColorPick,
                           std::function<void(tessary::AnnotationWeight)> onWeightPick,
                           std::function<void(const std::string&)> onStickerPick, QWidget* parent)
    : FloatingBar(parent), onColorPick_(std::move(onColorPick)), onWeightPick_(std::move(onWeightPick)),
      onStickerPick_(std::move(onStickerPick)) {
    for (const auto& color : tessary::AnnotationColor::palette()) {
        colorCells_.push_back(new ColorCell(
            color,
            [this, color] {
                style_.color = color;
                refreshSelectionMarks();
                if (onColorPick_) {
                    onColorPick_(color);
                }
            },
            this));
    }
    for (const auto weight : tessary::allAnnotationWeights) {
        weightCells_.push_back(new WeightCell(
            weight,
            [this, weight] {
                style_.weight = weight;
                refreshSelectionMarks();
                if (onWeightPick_) {
                    onWeightPick_(weight);
                }
            },
            this));
    }
    for (const std::string& emoji : stickers()) {
        auto* cell = new StickerCell(
            QString::fromStdString(emoji),
            [this, emoji] {
                sticker_ = emoji;
                refreshSelectionMarks();
                if (onStickerPick_) {
                    onStickerPick_(emoji);
                }
            },
            this);
        cell->hide();
        stickerCells_.push_back(cell);
    }
    applyTexts();
    connect(L10n::notifier(), &L10n::languageDidChange, this, &StyleBarView::applyTexts);
    layOutContent();
    refreshSelectionMarks();
}

void StyleBarView::setShowsStickers(bool shows) {
    if (showsStickers_ != shows) {
        showsStickers_ = shows;
        layOutContent();
    }
}

void StyleBarView::layOutContent() {
    const auto layout = tessary::StyleBarLayout::layOut(colorCells_.size(), weightCells_.size(),
                                                        stickerCells_.size(), showsStickers_);
    for (std::size_t i = 0; i < colorCells_.size(); ++i) {
        colorCells_[i]->setGeometry(widgetRect(layout.colors[i]));
    }
    for (std::size_t i = 0; i < weightCells_.size(); ++i) {
        weightCells_[i]->setGeometry(widgetRect(layout.weights[i]));
    }
    for (std::size_t i = 0; i < stickerCells_.size(); ++i) {
        if (showsStickers_) {
            stickerCells_[i]->setGeometry(widgetRect(layout.stickers[i]));
        }
        stickerCells_[i]->setVisible(showsStickers_);
    }
    if (layout.separator) {
        const auto& s = *layout.separator;
        stickerSeparator_ = QRectF(s.x, s.y, s.width, s.height);
    } else {
        stickerSeparator_.reset();
    }
    setFixedSize(static_cast<int>(layout.size.width), static_cast<int>(layout.size.height));
    update();
}

void StyleBarView::applyTexts() {
    for (ColorCell* cell : colorCells_) {
        const std::string_view key = cell->color().localizationKey();
        cell->setToolTip(L10n::text(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()))));
        cell->setAccessibleName(cell->toolTip());
    }
}

void StyleBarView::refreshSelectionMarks() {
    for (ColorCell* cell : colorCells_) {
        cell->setSelected(cell->color() == style_.color);
    }
    for (WeightCell* cell : weightCells_) {
        cell->setSelected(cell->weight() == style_.weight);
    }
    for (StickerCell* cell : stickerCells_) {
        cell->setSelected(cell->emoji().toStdString() == sticker_);
    }
}

void StyleBarView::paintOverBackdrop(QPainter& painter) {
    if (stickerSeparator_) {
        painter.fillRect(*stickerSeparator_, Theme::separatorColor());
    }
}
