#pragma once

#include "Overlay/Bars/StyleBarCell.h"

#include <QString>

// One emoji of the sticker set.
class StickerCell : public StyleBarCell {
    Q_OBJECT
public:
    static constexpr QSize cellSize{32, 22};

    StickerCell(QString emoji, std::function<void()> onPick, QWidget* parent);
    const QString& emoji() const { return emoji_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString emoji_;
};
