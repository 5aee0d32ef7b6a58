#include "App/StatusItemImage.h"

#include "Foundation/AppId.h"
#include "Foundation/Log.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

namespace StatusItemImage {

QIcon load(const QString& directory) {
    const QDir dir(directory);
    QPixmap normal(dir.filePath(QStringLiteral("MenuBarLogo.png")));
    QPixmap doubled(dir.filePath(QStringLiteral("MenuBarLogo@2x.png")));
    if (normal.isNull() || doubled.isNull()) {
        return {};
    }
    doubled.setDevicePixelRatio(2.0);
    QIcon icon;
    icon.addPixmap(normal);
    icon.addPixmap(doubled);
    // Template image: drawn from the alpha channel only, so a dark tray gets a light glyph.
    icon.setIsMask(true);
    return icon;
}

QString missingMessage(const QString& checkedDirectory) {
    return QStringLiteral("缺少菜单栏图标 MenuBarLogo.png / MenuBarLogo@2x.png，") +
           QStringLiteral("查过：") +
           (checkedDirectory.isEmpty() ? QStringLiteral("（无 Resources）") : checkedDirectory) +
           QStringLiteral("。") + QStringLiteral("这是打包错误，检查 build-app.sh 有没有把 Resources/") +
           QStringLiteral("MenuBarLogo") + QStringLiteral("*.png 拷进包里");
}

QIcon make() {
    const QString bundled = QStringLiteral(":/");
    const QIcon icon = load(bundled);
    if (icon.isNull()) {
        const QString message = missingMessage(bundled);
        Log::error(message);
        std::fprintf(stderr, "Fatal: %s\n", message.toUtf8().constData());
        std::abort();
    }
    return themed(icon);
}

QIcon themed(const QIcon& fallback) {
    // An installed icon theme entry carries a name a StatusNotifierItem host resolves itself,
    // crisp at its own scale and recoloured for its panel; the bundled pixmaps cover the rest.
    return QIcon::fromTheme(AppId::symbolicIconName(), fallback);
}

} // namespace StatusItemImage
