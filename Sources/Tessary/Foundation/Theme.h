#pragma once

#include <QColor>
#include <QFont>

// The one table of colours and fonts the capture overlay draws with. Fixed values are
// built once on first use; the system colours (label, accent) follow the current palette.
namespace Theme {

QColor selectionBorder();
QColor handleFill();
QColor dimColor();

QFont sizeLabelFont();
QColor sizeLabelColor();
QColor floatingLabelBackground();

QFont windowNameFont();
QColor windowNameColor();
// Always the same value as floatingLabelBackground().
QColor windowNameBackground();

QFont selectionGuideLabelFont();
QFont selectionGuideValueFont();
QFont selectionGuideHintFont();
QColor selectionGuideTextColor();
QColor selectionGuideHintColor();

QColor buttonHoverBackground();
QColor buttonSelectedBackground();
QColor buttonSelectedBorder();
QColor buttonActiveTint();
QColor destructiveTint();
QColor confirmTint();
QColor textEditorBorder();

QColor colorPickerPanelBackground();
QColor colorPickerPanelBorder();
QColor colorPickerLabelColor();
QColor colorPickerValueColor();
QColor colorPickerHintColor();

// Stand-ins for the platform's system colours.
QColor labelColor();
QColor secondaryLabelColor();
QColor accentColor();
QColor separatorColor();

} // namespace Theme
