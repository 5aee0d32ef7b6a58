#include "Preferences/PreferencesSymbol.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QString pathOf(const QString& name) {
    return QStringLiteral(":/Symbols/") + name + QStringLiteral(".svg");
}

} // namespace

bool PreferencesSymbol::exists(const QString& name) {
    return QFile::exists(pathOf(name));
}

QPixmap PreferencesSymbol::pixmap(const QString& name, const QColor& color, int size, qreal ratio) {
    QSvgRenderer renderer(pathOf(name));
    if (!renderer.isValid()) {
        return {};
    }
    const int pixels = qRound(size * ratio);
    QImage image(pixels, pixels, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    for (int y = 0; y < pixels; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pixels; ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            if (alpha == 0) {
                continue;
            }
            // Unpremultiplied lightness: 0 for black ink, 1 for a white cut-out.
            const qreal lightness = qGray(pixel) / 255.0;
            const int inked = qRound(alpha * (1.0 - lightness) * color.alphaF());
            line[x] = qRgba(color.red(), color.green(), color.blue(), inked);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(ratio);
    return result;
}
