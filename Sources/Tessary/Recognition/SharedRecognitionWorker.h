#pragma once

#include <QString>
#include <QStringList>

class RecognitionWorker;

// The process's one recognition worker, shared by line OCR and layout recognition so that one
// engine serves both. Made on first use; lives as long as the application object, so that its
// thread is joined before the process tears down the engine's globals. Main thread only.
namespace SharedRecognitionWorker {

RecognitionWorker& get();

// Replace the worker with one reading `dataPath` / looking for the module in `directories`
// (empty: the defaults). Requests in flight fail.
void setDataPathForTesting(const QString& dataPath);
void setModuleDirectoriesForTesting(const QStringList& directories);

} // namespace SharedRecognitionWorker
