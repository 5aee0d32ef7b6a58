#pragma once

#include <QString>

class QEvent;
class QWidget;

// Optional diagnostics of left-button presses and releases on overlay windows, switched on by
// the settings flag "TessaryClickTrace".
namespace ClickTrace {

inline constexpr const char* settingsKey = "TessaryClickTrace";

// Read on first use and again after every change written through setEnabled or forget.
bool isEnabled();
void setEnabled(bool enabled);
// Removes the stored flag (off).
void forget();
// Every event an overlay window receives passes through here before normal dispatch.
void window(QWidget* window, QEvent* event);
// "无", "ToolButton(<kind>)" or the widget's class name.
QString describe(const QWidget* view);

// Widgets that stand for a toolbar button carry their ToolKind (as int) under this property.
inline constexpr const char* toolKindProperty = "tessaryToolKind";

} // namespace ClickTrace
