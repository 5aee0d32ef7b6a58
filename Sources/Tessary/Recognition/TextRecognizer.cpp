#include "Recognition/TextRecognizer.h"

#include "Recognition/RecognitionWorker.h"
#include "Recognition/SharedRecognitionWorker.h"

#include <qcoro/qcorofuture.h>

namespace TextRecognizer {

QCoro::Task<QString> recognize(QImage image) {
    QFuture<QString> future = SharedRecognitionWorker::get().submit(std::move(image));
    co_return co_await future;
}

void prewarm() {
    SharedRecognitionWorker::get().prewarm();
}

void setDataPathForTesting(const QString& dataPath) {
    SharedRecognitionWorker::setDataPathForTesting(dataPath);
}

void setModuleDirectoriesForTesting(const QStringList& directories) {
    SharedRecognitionWorker::setModuleDirectoriesForTesting(directories);
}

} // namespace TextRecognizer
