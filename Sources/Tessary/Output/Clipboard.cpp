#include "Output/Clipboard.h"

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
    auto future = QtConcurrent::run(OutputWorker::pool(), [image] { return PngEncoder::encode(image); });
    future.then(QCoreApplication::instance(), [guard, image, done = std::move(done)](const QByteArray& png) {
        const bool written = publish(image, png);
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
