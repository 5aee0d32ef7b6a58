#include "Output/Clipboard.h"

#include "Output/DeferredImageMimeData.h"
#include "Output/OutputWorker.h"
#include "Output/PngEncoder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

bool publish(const QImage& image, const QByteArray& png) {
    if (png.isEmpty()) {
        return false;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        return false;
    }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    data->setImageData(image);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return true;
}

} // namespace

namespace Clipboard {

bool write(const QImage& image) {
    return publish(image, PngEncoder::encode(image));
}

void writeAsync(const QImage& image, QObject* context, std::function<void(bool)> done) {
    QPointer<QObject> guard(context);
    QClipboard* clipboard = QGuiApplication::clipboard();
    QFuture<QByteArray> future =
        QtConcurrent::run(OutputWorker::pool(), [image] { return PngEncoder::encode(image); });
    QPointer<QMimeData> offered;
    if (clipboard) {
        offered = new DeferredImageMimeData(
            image, future, !QGuiApplication::platformName().startsWith(QLatin1String("wayland")));
        clipboard->setMimeData(offered, QClipboard::Clipboard);
    }
    // The offer is the clipboard's from now on: the platform may drop it once it is replaced (or,
    // on Wayland, once the compositor no longer needs it), which is no failure of this copy.
    const bool madeOffer = offered != nullptr;
    future.then(QCoreApplication::instance(),
                [guard, offered, madeOffer, done = std::move(done)](const QByteArray& png) {
                    const bool written = madeOffer && !png.isEmpty();
                    // A failed encode must not leave an offer that cannot be served.
                    if (offered && png.isEmpty()) {
                        QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
                    }
                    if (guard && done) {
                        done(written);
                    }
                });
}

bool writeText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        return false;
    }
    clipboard->setText(text, QClipboard::Clipboard);
    return true;
}

} // namespace Clipboard
