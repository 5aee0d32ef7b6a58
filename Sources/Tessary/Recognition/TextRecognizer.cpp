#include "Recognition/TextRecognizer.h"

#include "Recognition/RecognitionEngine.h"
#include "Recognition/RecognitionEngineLoader.h"
#include "Recognition/RecognitionWorker.h"

#include <qcoro/qcorofuture.h>

TextRecognizer::TextRecognizer(QString dataPath, QStringList moduleDirectories)
    : m_dataPath(dataPath.isEmpty() ? RecognitionEngine::defaultDataPath() : std::move(dataPath)),
      m_moduleDirectories(moduleDirectories.isEmpty() ? RecognitionEngineLoader::defaultDirectories()
                                                      : std::move(moduleDirectories)) {}

TextRecognizer::~TextRecognizer() = default;

RecognitionWorker& TextRecognizer::worker() {
    if (!m_worker) {
        m_worker = std::make_unique<RecognitionWorker>(m_dataPath, m_moduleDirectories);
    }
    return *m_worker;
}

QCoro::Task<QString> TextRecognizer::recognize(QImage image) {
    QFuture<QString> future = worker().submit(std::move(image));
    co_return co_await future;
}

void TextRecognizer::prewarm() {
    worker().prewarm();
}
