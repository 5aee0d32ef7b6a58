#include "Overlay/QR/QRCodeDetector.h"

#include "Foundation/Log.h"
#include "Overlay/QR/QRCodeRecognizer.h"

#include <exception>

QRCodeDetector::QRCodeDetector(QObject* parent) : QObject(parent) {
    debounce_.setSingleShot(true);
    debounce_.setInterval(debounceMilliseconds);
    connect(&debounce_, &QTimer::timeout, this, &QRCodeDetector::start);
}

QRCodeDetector::~QRCodeDetector() {
    cancel();
}

void QRCodeDetector::schedule(const tessary::Rect& selection, const std::function<QImage()>& crop) {
    if (selection_ && *selection_ == selection) {
        return;
    }
    QImage image = crop ? crop() : QImage();
    if (image.isNull()) {
        return;
    }
    cancel();
    selection_ = selection;
    pending_ = std::move(image);
    debounce_.start();
}

void QRCodeDetector::cancel() {
    ++generation_;
    debounce_.stop();
    pending_ = QImage();
    if (watcher_) {
        watcher_->disconnect(this);
        watcher_->future().cancel();
        // The watcher may still be told about the future; let it go once that is done with.
        watcher_->deleteLater();
        watcher_ = nullptr;
    }
    selection_.reset();
    payloads_.clear();
}

bool QRCodeDetector::isBusy() const {
    return debounce_.isActive() || watcher_ != nullptr;
}

void QRCodeDetector::start() {
    if (pending_.isNull()) {
        return;
    }
    const quint64 generation = generation_;
    watcher_ = new QFutureWatcher<QStringList>(this);
    connect(watcher_, &QFutureWatcherBase::finished, this, [this, generation] { finished(generation); });
    watcher_->setFuture(QRCodeRecognizer::recognize(std::exchange(pending_, QImage())));
    Q_EMIT scanStarted();
}

void QRCodeDetector::finished(quint64 generation) {
    if (generation != generation_ || !watcher_) {
        return;
    }
    QFuture<QStringList> future = watcher_->future();
    watcher_->deleteLater();
    watcher_ = nullptr;
    try {
        // Rethrows a detection failure.
        future.waitForFinished();
        if (future.isCanceled() || future.resultCount() == 0) {
            return;
        }
        payloads_ = future.result();
    } catch (const std::exception& error) {
        Log::error(QStringLiteral("二维码识别失败：") + QString::fromUtf8(error.what()));
        return;
    }
    Q_EMIT scanFinished(payloads_);
}
