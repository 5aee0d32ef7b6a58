#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QMimeData>

// Clipboard contents that are offered before the PNG exists: the X clipboard hands data out only
// when another client asks for it, so ownership is taken at once and a paste that arrives while the
// encoder still runs waits for it.
class DeferredImageMimeData : public QMimeData {
    Q_OBJECT
public:
    // Without `offerQtImage` only the PNG is listed: Qt's Wayland clipboard re-encodes any listed
    // image on the main thread when a client pastes, instead of serving these bytes.
    DeferredImageMimeData(QImage image, QFuture<QByteArray> png, bool offerQtImage = true);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QImage m_image;
    QFuture<QByteArray> m_png;
    bool m_offerQtImage;
};
