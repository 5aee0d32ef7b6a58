#pragma once

#include <QIcon>
#include <QString>

// The tray icon: the icon theme's "<application id>-symbolic" where installed, else
// MenuBarLogo.png and MenuBarLogo@2x.png, compiled in. Missing compiled-in artwork is a
// packaging error and stops the program.
namespace StatusItemImage {
QIcon make();
// The theme's symbolic application icon, or `fallback` when no theme has it.
QIcon themed(const QIcon& fallback);
// Loads both representations from a directory; a null icon unless both load.
QIcon load(const QString& directory);
QString missingMessage(const QString& checkedDirectory);
} // namespace StatusItemImage
