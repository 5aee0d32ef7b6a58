#pragma once

#include "Overlay/Bars/ToolKind.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

// The toolbar's SVG icons, compiled into the program's resources: an installed program never
// reads the source tree. A missing icon is a packaging error and stops the program.
namespace ToolIconRenderer {

inline constexpr double iconSize = 24;

// ":/ToolbarIcons", or none when the resources hold no icon directory.
std::optional<QString> resourceDirectory();

// "tool-rectangle.svg"
QString iconFile(ToolKind kind);
// The first of `directories` holding the kind's icon; empty when none does.
QString resolve(ToolKind kind, const QStringList& directories);

// The icon at 24 x 24 points and `devicePixelRatio`, tinted: only the icon's shape keeps the colour,
// at the colour's alpha. A null image when the icon cannot be found or read.
QImage bundledImage(ToolKind kind, const QColor& color, qreal devicePixelRatio = 1);

// Icon files of the tool kinds found in none of `directories`, in tool order.
QStringList missingIconFiles(const QStringList& directories);
// ":/ToolbarIcons" or "（无 Resources）".
QString searchedPlaces(const std::optional<QString>& resources);
QString missingIconsMessage(const QStringList& missingFiles, const QString& places);

// Once at launch: logs the icon count, or logs the missing files and stops the program.
void verifyBundledIcons();
// Logs the missing icons and stops the program.
[[noreturn]] void failMissing(const QList<ToolKind>& kinds);

} // namespace ToolIconRenderer
