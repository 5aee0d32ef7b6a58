#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

// Line text recognition of a selection in Japanese, Simplified Chinese and English.
namespace TextRecognizer {

// The text of `image` (the cropped selection, in pixels): its lines in reading order joined by
// "\n", "" when there is none. The work runs on the recognition thread, one request at a time; the
// caller resumes on the thread it awaited from. Throws TextRecognitionError. Main thread only.
QCoro::Task<QString> recognize(QImage image);

// Loads the engine in the background so that the first request does not wait for it.
void prewarm();

// Replaces the engine with one reading `dataPath` (empty: the default). Requests in flight fail.
void setDataPathForTesting(const QString& dataPath);
// Replaces the engine with one whose module is looked for in `directories` (empty: the default).
void setModuleDirectoriesForTesting(const QStringList& directories);

} // namespace TextRecognizer
