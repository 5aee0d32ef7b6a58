#include "App/MenuIcon.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

namespace {

QPixmap tinted(QSvgRenderer& renderer, const QColor& color, qreal ratio) {
    // 18×16 points with the symbol centred in 16×16, as menus lay icons out in a row.
    QPixmap pixmap(QSize(18, 16) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(1, 0, 16, 16));
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(QRectF(0, 0, 18, 16), color);
    return pixmap;
}

} // namespace

QIcon MenuIcon::make(const QString& symbol, const QPalette& palette) {
    const QString path = QStringLiteral(":/Symbols/") + symbol + QStringLiteral(".svg");
    if (!QFile::exists(path)) {
        return {};
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) {
        icon.addPixmap(tinted(renderer, palette.color(QPalette::Active, QPalette::WindowText), ratio),
                       QIcon::Normal);
        icon.addPixmap(tinted(renderer, palette.color(QPalette::Active, QPalette::HighlightedText), ratio),
                       QIcon::Active);
        icon.addPixmap(tinted(renderer, palette.color(QPalette::Active, QPalette::HighlightedText), ratio),
                       QIcon::Selected);
    }
    return icon;
}

void MenuIcon::apply(QAction* action, const QString& symbol, const QString& title) {
    action->setText(title);
    action->setIcon(make(symbol, QApplication::palette()));
    action->setIconVisibleInMenu(true);
    action->setData(symbol);
}
