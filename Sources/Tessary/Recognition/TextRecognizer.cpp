#include "Recognition/TextRecognizer.h"

#include "Recognition/RecognitionWorker.h"
#include "Recognition/TesseractEngine.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include <qcoro/qcorofuture.h>

namespace {

// The process-wide worker lives as long as the application object, so that its thread is joined
// before the process tears down the engine's globals.
class SharedWorker : public QObject {
public:
    SharedWorker(QObject* parent, const QString& dataPath) : QObject(parent), worker(dataPath) {}
    RecognitionWorker worker;
};

QString& dataPathOverride() {
    static QString path;
    return path;
}

QPointer<SharedWorker>& shared() {
    static QPointer<SharedWorker> instance;
    return instance;
}

RecognitionWorker& sharedWorker() {
    if (!shared()) {
        const QString path =
            dataPathOverride().isEmpty() ? TesseractEngine::defaultDataPath() : dataPathOverride();
        shared() = new SharedWorker(QCoreApplication::instance(), path);
    }
    return shared()->worker;
}

} // namespace

namespace TextRecognizer {

QCoro::Task<QString> recognize(QImage image) {
    QFuture<QString> future = sharedWorker().submit(std::move(image));
    co_return co_await future;
}

void prewarm() {
    sharedWorker().prewarm();
}

void setDataPathForTesting(const QString& dataPath) {
    dataPathOverride() = dataPath;
    delete shared().data();
}

} // namespace TextRecognizer
