#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// Our own line-art symbols (:/Symbols/<name>.svg) drawn in one colour. Black in the artwork takes
// the colour and white becomes transparent, so filled variants keep their cut-outs in any palette.
namespace PreferencesSymbol {

// A null pixmap for an unknown symbol.
QPixmap pixmap(const QString& name, const QColor& color, int size, qreal ratio);
bool exists(const QString& name);

} // namespace PreferencesSymbol
