#include "Overlay/Bars/ToolIconRenderer.h"

#include "Foundation/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace ToolIconRenderer {

namespace {

const QString resourcePath = QStringLiteral(":/ToolbarIcons");

QStringList searchDirectories() {
    QStringList directories;
    if (const auto resources = resourceDirectory()) {
        directories << *resources;
    }
    return directories;
}

QString cacheKey(ToolKind kind, const QColor& color, qreal devicePixelRatio) {
    return QString::number(static_cast<int>(kind)) + QLatin1Char('/') + QString::number(color.rgba(), 16) +
           QLatin1Char('/') + QString::number(devicePixelRatio);
}

} // namespace

std::optional<QString> resourceDirectory() {
    if (!QFileInfo(resourcePath).isDir()) {
        return std::nullopt;
    }
    return resourcePath;
}

QString iconFile(ToolKind kind) {
    return ToolKinds::iconFileName(kind) + QStringLiteral(".svg");
}

QString resolve(ToolKind kind, const QStringList& directories) {
    for (const QString& directory : directories) {
        const QString path = QDir(directory).filePath(iconFile(kind));
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}

QImage bundledImage(ToolKind kind, const QColor& color, qreal devicePixelRatio) {
    // Buttons repaint on every hover change; the tinted icons are few and small.
    static QHash<QString, QImage> cache;
    const QString key = cacheKey(kind, color, devicePixelRatio);
    if (const auto found = cache.constFind(key); found != cache.constEnd()) {
        return *found;
    }
    const QString path = resolve(kind, searchDirectories());
    if (path.isEmpty()) {
        return {};
    }
    QSvgRenderer svg(path);
    if (!svg.isValid()) {
        return {};
    }
    const int side = static_cast<int>(std::lround(iconSize * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    {
        // Draw the icon as a mask: destination-in keeps the colour only where the icon is opaque.
        QImage mask(side, side, QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        QPainter maskPainter(&mask);
        maskPainter.setRenderHint(QPainter::Antialiasing);
        svg.render(&maskPainter, QRectF(0, 0, side, side));
        maskPainter.end();
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(0, 0, mask);
    }
    image.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, image);
    return image;
}

QStringList missingIconFiles(const QStringList& directories) {
    QStringList missing;
    for (const ToolKind kind : allToolKinds) {
        if (resolve(kind, directories).isEmpty()) {
            missing << iconFile(kind);
        }
    }
    return missing;
}

QString searchedPlaces(const std::optional<QString>& resources) {
    return resources ? *resources : QStringLiteral("（无 Resources）");
}

QString missingIconsMessage(const QStringList& missingFiles, const QString& places) {
    return QStringLiteral("缺少工具栏图标 ") + missingFiles.join(QStringLiteral("、")) +
           QStringLiteral("，查过：") + places + QStringLiteral("。") +
           QStringLiteral("这是打包错误，检查 build-app.sh 有没有把 "
                          "Sources/Tessary/Resources/ToolbarIcons/*.svg 拷进包里");
}

void verifyBundledIcons() {
    const QStringList missing = missingIconFiles(searchDirectories());
    const QString places = searchedPlaces(resourceDirectory());
    if (!missing.isEmpty()) {
        const QString message = missingIconsMessage(missing, places);
        Log::error(message);
        qFatal("%s", message.toUtf8().constData());
    }
    Log::info(QStringLiteral("工具栏图标齐全：") + QString::number(allToolKinds.size()) +
              QStringLiteral(" 个，目录 ") + places);
}

void failMissing(const QList<ToolKind>& kinds) {
    QStringList files;
    for (const ToolKind kind : kinds) {
        files << iconFile(kind);
    }
    const QString message =
        missingIconsMessage(files, searchedPlaces(resourceDirectory()));
    Log::error(message);
    qFatal("%s", message.toUtf8().constData());
}

} // namespace ToolIconRenderer
