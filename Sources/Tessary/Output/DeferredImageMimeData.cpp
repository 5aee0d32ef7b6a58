#include "Output/DeferredImageMimeData.h"

namespace {

const QString pngType = QStringLiteral("image/png");
const QString qtImageType = QStringLiteral("application/x-qt-image");

} // namespace

DeferredImageMimeData::DeferredImageMimeData(QImage image, QFuture<QByteArray> png, bool offerQtImage)
    : m_image(std::move(image)), m_png(std::move(png)), m_offerQtImage(offerQtImage) {}

QStringList DeferredImageMimeData::formats() const {
    return m_offerQtImage ? QStringList{pngType, qtImageType} : QStringList{pngType};
}

bool DeferredImageMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == pngType || (m_offerQtImage && mimeType == qtImageType);
}

QVariant DeferredImageMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType == pngType) {
        // At most the rest of one encode; the requesting client is waiting for exactly this.
        const QByteArray png = m_png.result();
        return png.isEmpty() ? QVariant() : QVariant(png);
    }
    // Still handed to readers in this process, which ask for the image by type.
    if (mimeType == qtImageType) {
        return m_image;
    }
    return {};
}
