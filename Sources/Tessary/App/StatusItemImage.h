#pragma once

#include <QIcon>
#include <QString>

// The tray icon: MenuBarLogo.png and MenuBarLogo@2x.png, compiled in; the source tree's
// Resources folder is the second place looked at. Missing artwork is a packaging error.
namespace StatusItemImage {
QIcon make();
// Loads both representations from a directory; a null icon unless both load.
QIcon load(const QString& directory);
QString missingMessage(const QString& checkedDirectory);
} // namespace StatusItemImage
