#include "Recognition/RecognitionWorker.h"

#include "Foundation/Log.h"
#include "Recognition/RecognitionEngine.h"
#include "Recognition/RecognitionEngineLoader.h"
#include "Recognition/TextRecognitionError.h"
#include "TessaryCore/ReadingOrder.h"
#include "TessaryCore/RecognitionLanguages.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

QString joinedLanguages(const std::vector<std::string>& languages) {
    QStringList names;
    for (const std::string& language : languages) {
        names << QString::fromStdString(language);
    }
    return names.join(QLatin1Char('+'));
}

} // namespace

RecognitionWorker::RecognitionWorker(QString dataPath, QStringList moduleDirectories)
    : m_dataPath(std::move(dataPath)), m_moduleDirectories(std::move(moduleDirectories)) {
    m_thread = std::thread([this] { run(); });
}

RecognitionWorker::~RecognitionWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_cancel = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

QFuture<QString> RecognitionWorker::submit(QImage image) {
    Request request;
    request.image = std::move(image);
    request.promise.start();
    QFuture<QString> future = request.promise.future();
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            request.promise.setException(std::make_exception_ptr(TextRecognitionError::cancelled()));
            request.promise.finish();
            return future;
        }
        const auto firstYielding = std::find_if(m_queue.begin(), m_queue.end(),
                                                [](const Request& queued) { return queued.yielding; });
        m_queue.insert(firstYielding, std::move(request));
    }
    m_wake.notify_one();
    return future;
}

QFuture<std::vector<tessary::DocumentContainer>> RecognitionWorker::submitLayout(QImage image,
                                                                                 bool yielding) {
    Request request;
    request.image = std::move(image);
    request.layout = true;
    request.yielding = yielding;
    request.layoutPromise.start();
    QFuture<std::vector<tessary::DocumentContainer>> future = request.layoutPromise.future();
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            request.layoutPromise.setException(std::make_exception_ptr(TextRecognitionError::cancelled()));
            request.layoutPromise.finish();
            return future;
        }
        // Requests someone waits for go before those that only prepare the engine.
        const auto firstYielding = std::find_if(m_queue.begin(), m_queue.end(),
                                                [](const Request& queued) { return queued.yielding; });
        m_queue.insert(yielding ? m_queue.end() : firstYielding, std::move(request));
    }
    m_wake.notify_one();
    return future;
}

void RecognitionWorker::prewarm() {
    Request request;
    request.warmUpOnly = true;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_queue.push_back(std::move(request));
    }
    m_wake.notify_one();
}

QStringList RecognitionWorker::defaultModuleDirectories() {
    return RecognitionEngineLoader::defaultDirectories();
}

void RecognitionWorker::run() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping) {
                break;
            }
            request = std::move(m_queue.front());
            m_queue.pop_front();
        }
        serve(request);
    }
    std::deque<Request> abandoned;
    {
        std::lock_guard lock(m_mutex);
        abandoned.swap(m_queue);
    }
    for (Request& request : abandoned) {
        if (request.layout) {
            request.layoutPromise.setException(std::make_exception_ptr(TextRecognitionError::cancelled()));
            request.layoutPromise.finish();
        } else if (!request.warmUpOnly) {
            request.promise.setException(std::make_exception_ptr(TextRecognitionError::cancelled()));
            request.promise.finish();
        }
    }
    m_engine.reset();
}

void RecognitionWorker::serve(Request& request) {
    if (request.layout) {
        serveLayout(request);
        return;
    }
    if (request.warmUpOnly) {
        try {
            ensureEngine();
        } catch (const TextRecognitionError&) {
            // Reported to the first real request, which tries again.
        }
        return;
    }
    try {
        ensureEngine();
        QElapsedTimer timer;
        timer.start();
        std::vector<tessary::RecognizedLine> lines = m_engine->recognizeLines(request.image, &m_cancel);
        const QString text = QString::fromStdString(tessary::ReadingOrder::assemble(std::move(lines)));
        Log::info(QStringLiteral("OCR 耗时 ") +
                  QString::asprintf("%.2f", double(timer.nsecsElapsed()) / 1e9) + QLatin1Char('s'));
        request.promise.addResult(text);
    } catch (const TextRecognitionError&) {
        request.promise.setException(std::current_exception());
    } catch (const std::exception&) {
        request.promise.setException(std::make_exception_ptr(TextRecognitionError::engineFailed()));
    }
    request.promise.finish();
}

void RecognitionWorker::serveLayout(Request& request) {
    try {
        ensureEngine();
        QElapsedTimer timer;
        timer.start();
        std::vector<tessary::DocumentContainer> documents =
            m_engine->recognizeLayout(request.image, &m_cancel);
        Log::info(QStringLiteral("版面识别耗时 ") +
                  QString::asprintf("%.2f", double(timer.nsecsElapsed()) / 1e9) + QLatin1Char('s'));
        request.layoutPromise.addResult(std::move(documents));
    } catch (const TextRecognitionError&) {
        request.layoutPromise.setException(std::current_exception());
    } catch (const std::exception&) {
        request.layoutPromise.setException(std::make_exception_ptr(TextRecognitionError::engineFailed()));
    }
    request.layoutPromise.finish();
}

void RecognitionWorker::ensureEngine() {
    if (m_engine) {
        return;
    }
    QElapsedTimer timer;
    timer.start();
    m_engine = RecognitionEngineLoader::create(m_dataPath, m_moduleDirectories);
    Log::info(QStringLiteral("OCR 引擎就绪：") + joinedLanguages(m_engine->languages()) +
              QStringLiteral("，耗时 ") + QString::asprintf("%.2f", double(timer.nsecsElapsed()) / 1e9) +
              QLatin1Char('s'));
    for (const std::string& language : tessary::RecognitionLanguages::desired()) {
        const auto& loaded = m_engine->languages();
        if (std::find(loaded.begin(), loaded.end(), language) == loaded.end()) {
            Log::notice(QStringLiteral("OCR 缺少语言数据：") + QString::fromStdString(language) +
                        QStringLiteral("（安装软件包 ") +
                        QString::fromStdString(tessary::RecognitionLanguages::packageName(language)) +
                        QStringLiteral("）"));
        }
    }
}
