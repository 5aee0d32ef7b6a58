#include "Foundation/Theme.h"

#include "Foundation/Fonts.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QColor srgb(double r, double g, double b, double a) {
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}
QColor white(double level, double alpha) {
    return srgb(level, level, level, alpha);
}
QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

} // namespace

namespace Theme {

QColor selectionBorder() {
    static const QColor value = srgb(0.30, 0.83, 0.55, 1.0);
    return value;
}
QColor handleFill() {
    static const QColor value = srgb(0.30, 0.83, 0.55, 1.0);
    return value;
}
QColor dimColor() {
    static const QColor value = srgb(0, 0, 0, 0.45);
    return value;
}

QFont sizeLabelFont() {
    static const QFont value = Fonts::system(13, Fonts::Weight::medium);
    return value;
}
QColor sizeLabelColor() {
    return Qt::white;
}
QColor floatingLabelBackground() {
    static const QColor value = white(0, 0.72);
    return value;
}

QFont windowNameFont() {
    static const QFont value = Fonts::system(12, Fonts::Weight::medium);
    return value;
}
QColor windowNameColor() {
    return Qt::white;
}
QColor windowNameBackground() {
    return floatingLabelBackground();
}

QFont selectionGuideLabelFont() {
    static const QFont value = Fonts::system(13, Fonts::Weight::medium);
    return value;
}
QFont selectionGuideValueFont() {
    static const QFont value = Fonts::monospaced(14, Fonts::Weight::semibold);
    return value;
}
QFont selectionGuideHintFont() {
    static const QFont value = Fonts::system(12, Fonts::Weight::regular);
    return value;
}
QColor selectionGuideTextColor() {
    return Qt::white;
}
QColor selectionGuideHintColor() {
    static const QColor value = white(1, 0.72);
    return value;
}

QColor buttonHoverBackground() {
    return withAlpha(labelColor(), 0.10);
}
QColor buttonSelectedBackground() {
    return withAlpha(accentColor(), 0.28);
}
QColor buttonSelectedBorder() {
    return accentColor();
}
QColor buttonActiveTint() {
    return labelColor();
}
QColor destructiveTint() {
    static const QColor value = srgb(1.0, 0.23, 0.19, 1.0);
    return value;
}
QColor confirmTint() {
    static const QColor value = srgb(0.20, 0.78, 0.35, 1.0);
    return value;
}
QColor textEditorBorder() {
    return accentColor();
}

QColor colorPickerPanelBackground() {
    static const QColor value = srgb(0.98, 0.98, 0.98, 0.97);
    return value;
}
QColor colorPickerPanelBorder() {
    static const QColor value = white(0.76, 0.82);
    return value;
}
QColor colorPickerLabelColor() {
    static const QColor value = white(0.24, 1.0);
    return value;
}
QColor colorPickerValueColor() {
    static const QColor value = white(0.12, 1.0);
    return value;
}
QColor colorPickerHintColor() {
    static const QColor value = white(0.50, 1.0);
    return value;
}

QColor labelColor() {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
}
QColor secondaryLabelColor() {
    return withAlpha(labelColor(), 0.55);
}
QColor accentColor() {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
}
QColor separatorColor() {
    return withAlpha(labelColor(), 0.18);
}

} // namespace Theme
