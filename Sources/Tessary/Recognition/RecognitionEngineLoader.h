#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class RecognitionEngine;

// Opens the recognition module (the engine and the libraries only it needs) the first time an
// engine is made, and keeps it open for the life of the process: engines and their threads may
// still run code from it at exit. Thread-safe.
namespace RecognitionEngineLoader {

// The module's file name.
QString moduleFileName();

// Where the module is looked for, in order: beside the executable (a build tree); the installed
// location, `<prefix>/lib/tessary` for an executable in `<prefix>/libexec/tessary` or
// `<prefix>/bin`. Never an absolute path: an installation can be moved as a whole.
QStringList directoriesFor(const QString& executableDirectory);
// The directories for the running executable.
QStringList defaultDirectories();

// A new engine for `dataPath` from the first module in `directories` that loads. Call it on the
// thread that will use the engine. Throws TextRecognitionError: engineModuleMissing naming every
// file looked for, engineModuleUnusable naming the module and why, or what the engine throws.
std::unique_ptr<RecognitionEngine> create(const QString& dataPath, const QStringList& directories);

} // namespace RecognitionEngineLoader
