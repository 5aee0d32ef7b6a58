#include "Overlay/Bars/StickerCell.h"

#include "Foundation/Fonts.h"

#include <QPainter>

StickerCell::StickerCell(QString emoji, std::function<void()> onPick, QWidget* parent)
    : StyleBarCell(cellSize, std::move(onPick), parent), emoji_(std::move(emoji)) {}

void StickerCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSelectionPlate(painter);
    static const QFont font = Fonts::system(16, Fonts::Weight::regular);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, emoji_);
}
