#include "Recognition/SharedRecognitionWorker.h"

#include "Recognition/RecognitionEngine.h"
#include "Recognition/RecognitionEngineLoader.h"
#include "Recognition/RecognitionWorker.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

namespace {

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

} // namespace

namespace SharedRecognitionWorker {

RecognitionWorker& get() {
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

void setDataPathForTesting(const QString& dataPath) {
    dataPathOverride() = dataPath;
    delete shared().data();
}

void setModuleDirectoriesForTesting(const QStringList& directories) {
    moduleDirectoriesOverride() = directories;
    delete shared().data();
}

} // namespace SharedRecognitionWorker
