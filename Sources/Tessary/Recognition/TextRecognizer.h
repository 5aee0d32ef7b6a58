#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <memory>

class RecognitionWorker;

// Line text recognition of a selection in Japanese, Simplified Chinese and English, on one worker
// thread that loads the engine on first use and keeps it. Main thread only.
class TextRecognizer {
public:
    // Empty arguments: the installed language data and the default module directories.
    explicit TextRecognizer(QString dataPath = {}, QStringList moduleDirectories = {});
    // Fails requests in flight and joins the worker.
    ~TextRecognizer();
    TextRecognizer(const TextRecognizer&) = delete;
    TextRecognizer& operator=(const TextRecognizer&) = delete;

    // The text of `image` (the cropped selection, in pixels): its lines in reading order joined by
    // "\n", "" when there is none. One request at a time; the caller resumes on the thread it awaited
    // from. Throws TextRecognitionError.
    QCoro::Task<QString> recognize(QImage image);

    // Loads the engine in the background so that the first request does not wait for it.
    void prewarm();

    // The worker, created on first use; other recognisers share its engine.
    RecognitionWorker& worker();

private:
    QString m_dataPath;
    QStringList m_moduleDirectories;
    std::unique_ptr<RecognitionWorker> m_worker;
};
