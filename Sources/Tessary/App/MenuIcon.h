#pragma once

#include <QIcon>
#include <QString>

class QAction;
class QPalette;

// A menu item's symbol: our own line-art SVG under :/Symbols/<symbol>.svg, tinted with
// the palette's text colour, and with its highlighted-text colour for the selected mode.
struct MenuIcon {
    QString symbol;
    QString title;
    bool isHighlighted = false;

    // Null icon for an unknown symbol (the item then shows its title alone).
    static QIcon make(const QString& symbol, const QPalette& palette);
    static void apply(QAction* action, const QString& symbol, const QString& title);
};
