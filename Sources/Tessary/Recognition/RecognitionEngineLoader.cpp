#include "Recognition/RecognitionEngineLoader.h"

#include "Foundation/Log.h"
#include "Recognition/RecognitionEngine.h"
#include "Recognition/TextRecognitionError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <elf.h>

#include <cstring>
#include <map>
#include <mutex>

namespace {

QString executableDirectory() {
    if (QCoreApplication::instance()) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

// Factories of the modules opened so far, by file. A module is never closed.
std::mutex& cacheMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<QString, RecognitionEngineFactory>& factories() {
    static std::map<QString, RecognitionEngineFactory> map;
    return map;
}

// Why the dynamic loader must not be handed `path`, or "" when it may. The loader maps the load
// segments without comparing them with the file's size, and the first touch of a page past the
// end of a cut-short file kills the process. Other faults the loader reports itself.
QString truncation(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.errorString();
    }
    const qint64 size = file.size();
    Elf64_Ehdr header;
    if (file.read(reinterpret_cast<char*>(&header), sizeof header) != qint64(sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) {
        return {};
    }
    if (header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0 || header.e_phoff > quint64(size) ||
        quint64(size) - header.e_phoff < quint64(header.e_phnum) * sizeof(Elf64_Phdr)) {
        return QStringLiteral("the file's program headers are cut short");
    }
    file.seek(qint64(header.e_phoff));
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        if (file.read(reinterpret_cast<char*>(&segment), sizeof segment) != qint64(sizeof segment)) {
            return QStringLiteral("the file's program headers are cut short");
        }
        if (segment.p_type == PT_LOAD &&
            (segment.p_offset > quint64(size) || quint64(size) - segment.p_offset < segment.p_filesz)) {
            return QStringLiteral("the file is cut short: %1 bytes, its code and data need %2")
                .arg(size)
                .arg(segment.p_offset + segment.p_filesz);
        }
    }
    return {};
}

// The factory of the module at `path`; throws engineModuleUnusable when it does not load.
RecognitionEngineFactory factoryAt(const QString& path) {
    std::lock_guard lock(cacheMutex());
    const auto found = factories().find(path);
    if (found != factories().end()) {
        return found->second;
    }
    if (const QString problem = truncation(path); !problem.isEmpty()) {
        throw TextRecognitionError::engineModuleUnusable(path, problem);
    }
    QLibrary library(path);
    if (!library.load()) {
        throw TextRecognitionError::engineModuleUnusable(path, library.errorString());
    }
    const auto factory =
        reinterpret_cast<RecognitionEngineFactory>(library.resolve(recognitionEngineFactorySymbol));
    if (!factory) {
        // Loaded but of another version: its libraries stay mapped, which is harmless.
        throw TextRecognitionError::engineModuleUnusable(path, library.errorString());
    }
    factories().emplace(path, factory);
    Log::info(QStringLiteral("OCR 模块已加载：") + path);
    return factory;
}

} // namespace

namespace RecognitionEngineLoader {

QString moduleFileName() {
    return QStringLiteral("libtessary-recognition.so");
}

QStringList directoriesFor(const QString& executableDirectory) {
    const QString here = QDir::cleanPath(executableDirectory);
    // A build tree puts the module beside the executables; an installation keeps private
    // libraries under lib/. Only paths relative to the executable: an installed tree may move.
    QStringList directories = {here};
    directories << here + (here.endsWith(QStringLiteral("/libexec/tessary")) ? QStringLiteral("/../../lib/tessary")
                                                                             : QStringLiteral("/../lib/tessary"));
    for (QString& directory : directories) {
        directory = QDir::cleanPath(directory);
    }
    directories.removeDuplicates();
    return directories;
}

QStringList defaultDirectories() {
    return directoriesFor(executableDirectory());
}

std::unique_ptr<RecognitionEngine> create(const QString& dataPath, const QStringList& directories) {
    QStringList searched;
    for (const QString& directory : directories) {
        const QString path = QDir(directory).filePath(moduleFileName());
        searched << path;
        if (!QFileInfo(path).isFile()) {
            continue;
        }
        // The first module found is the one meant; a damaged one is reported, not skipped, so
        // that an older copy further down the list cannot quietly take its place.
        const RecognitionEngineFactory factory = factoryAt(path);
        return std::unique_ptr<RecognitionEngine>(factory(dataPath));
    }
    throw TextRecognitionError::engineModuleMissing(searched);
}

} // namespace RecognitionEngineLoader
