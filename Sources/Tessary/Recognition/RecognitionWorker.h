#pragma once

#include <QFuture>
#include <QImage>
#include <QPromise>
#include <QString>
#include <QStringList>

#include "TessaryCore/DocumentLayout.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class RecognitionEngine;

// A thread that owns one recognition engine and serves recognition requests one at a time, in the
// order they came. The engine (and the module it comes from) is loaded on the first request (or on
// prewarm()) and kept; a load that fails fails that request and is tried again with the next.
class RecognitionWorker {
public:
    // `moduleDirectories`: where to look for the recognition module (see RecognitionEngineLoader).
    explicit RecognitionWorker(QString dataPath, QStringList moduleDirectories = defaultModuleDirectories());
    // Cancels the request being served, fails the queued ones and waits for the thread.
    ~RecognitionWorker();
    RecognitionWorker(const RecognitionWorker&) = delete;
    RecognitionWorker& operator=(const RecognitionWorker&) = delete;

    // The text of `image`: its lines in reading order joined by line feeds, "" when there is none.
    // The future fails with TextRecognitionError. Callable from any thread.
    QFuture<QString> submit(QImage image);

    // The document tree of `image` (see RecognitionEngine::recognizeLayout). A request marked
    // `yielding` is served after every request that is not, whenever those arrive. The future
    // fails with TextRecognitionError. Callable from any thread.
    QFuture<std::vector<tessary::DocumentContainer>> submitLayout(QImage image, bool yielding = false);

    // Loads the engine now, in the background, unless it is loaded or loading.
    void prewarm();

private:
    struct Request {
        QImage image;
        QPromise<QString> promise;
        bool warmUpOnly = false;
        bool layout = false;
        bool yielding = false;
        QPromise<std::vector<tessary::DocumentContainer>> layoutPromise;
    };

    void run();
    void serve(Request& request);
    void serveLayout(Request& request);
    void ensureEngine();

    static QStringList defaultModuleDirectories();

    const QString m_dataPath;
    const QStringList m_moduleDirectories;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Request> m_queue;
    bool m_stopping = false;
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<RecognitionEngine> m_engine; // worker thread only
    std::thread m_thread;
};
