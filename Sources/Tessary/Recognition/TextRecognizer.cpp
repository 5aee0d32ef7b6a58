#include "Recognition/TextRecognizer.h"

#include "Recognition/RecognitionEngine.h"
#include "Recognition/RecognitionEngineLoader.h"
#include "Recognition/RecognitionWorker.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include <qcoro/qcorofuture.h>

namespace {

// The process-wide worker lives as long as the application object, so that its thread is joined
// before the process tears down the engine's globals.
class SharedWorker : public QObject {
public:
    SharedWorker(QObject* parent, const QString& dataPath, const QStringList& moduleDirectories)
        : QObject(parent), worker(dataPath, moduleDirectories) {}
    RecognitionWorker worker;
};

QString& dataPathOverride() {
    static QString path;
    return path;
}

QStringList& moduleDirectoriesOverride() {
    static QStringList directories;
    return directories;
}

QPointer<SharedWorker>& shared() {
    static QPointer<SharedWorker> instance;
    return instance;
}

RecognitionWorker& sharedWorker() {
    if (!shared()) {
        const QString path =
            dataPathOverride().isEmpty() ? RecognitionEngine::defaultDataPath() : dataPathOverride();
        const QStringList directories = moduleDirectoriesOverride().isEmpty()
                                            ? RecognitionEngineLoader::defaultDirectories()
                                            : moduleDirectoriesOverride();
        shared() = new SharedWorker(QCoreApplication::instance(), path, directories);
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

void setModuleDirectoriesForTesting(const QStringList& directories) {
    moduleDirectoriesOverride() = directories;
    delete shared().data();
}

} // namespace TextRecognizer
