#include "RenderedText.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Recognition/OcrAction.h"
#include "Recognition/RecognitionEngine.h"
#include "Recognition/RecognitionEngineLoader.h"
#include "Recognition/RecognitionWorker.h"
#include "Recognition/TextRecognitionError.h"
#include "Recognition/TextRecognizer.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

#include <functional>

namespace {

// The build links the module beside the test executables, as beside tessary-app: the first
// default search place.
QString builtModuleDirectory() {
    return RecognitionEngineLoader::defaultDirectories().constFirst();
}

QString builtModule() {
    return QDir(builtModuleDirectory()).filePath(RecognitionEngineLoader::moduleFileName());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QImage sample() {
    return RenderedText::paragraph({QStringLiteral("Module")}, QStringLiteral("DejaVu Sans"), 20);
}

TEST(RecognitionEngineLoaderTest, TheSearchStartsBesideTheExecutableThenTheInstalledLibraryFolder) {
    const struct {
        const char* executableDirectory;
        QStringList expected;
    } cases[] = {
        {"/home/u/tessary/build/ci/Sources/Tessary", {"/home/u/tessary/build/ci/Sources/Tessary",
                                                      "/home/u/tessary/build/ci/Sources/lib/tessary"}},
        {"/usr/libexec/tessary", {"/usr/libexec/tessary", "/usr/lib/tessary"}},
        {"/opt/t/libexec/tessary/", {"/opt/t/libexec/tessary", "/opt/t/lib/tessary"}},
        {"/usr/local/bin", {"/usr/local/bin", "/usr/local/lib/tessary"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecognitionEngineLoader::directoriesFor(QString::fromLatin1(c.executableDirectory)), c.expected)
            << c.executableDirectory;
    }
    EXPECT_EQ(RecognitionEngineLoader::defaultDirectories(),
              RecognitionEngineLoader::directoriesFor(QCoreApplication::applicationDirPath()));
    EXPECT_TRUE(QFileInfo(builtModule()).isFile()) << builtModule().toStdString();
}

struct ModuleCase {
    const char* name;
    // Puts what the case needs into the first searched directory.
    std::function<void(const QString& directory)> prepare;
    // Whether the real module comes after the prepared directory in the search.
    bool realModuleLater;
    TextRecognitionError::Kind kind;
};

TEST(RecognitionEngineLoaderTest, AMissingOrBrokenModuleIsAFailureNamingTheModule) {
    const QString fileName = RecognitionEngineLoader::moduleFileName();
    const std::vector<ModuleCase> cases = {
        {"nothing anywhere", [](const QString&) {}, false, TextRecognitionError::Kind::engineModuleMissing},
        {"a directory under the module's name", [&](const QString& dir) { QDir(dir).mkdir(fileName); }, false,
         TextRecognitionError::Kind::engineModuleMissing},
        {"garbage",
         [&](const QString& dir) { writeFile(QDir(dir).filePath(fileName), QByteArray(4096, '\x7f')); }, true,
         TextRecognitionError::Kind::engineModuleUnusable},
        {"empty file", [&](const QString& dir) { writeFile(QDir(dir).filePath(fileName), QByteArray()); },
         true, TextRecognitionError::Kind::engineModuleUnusable},
        // Headers intact, code and data cut off (a full disk or an interrupted copy).
        {"truncated module",
         [&](const QString& dir) {
             QFile real(builtModule());
             ASSERT_TRUE(real.open(QIODevice::ReadOnly));
             writeFile(QDir(dir).filePath(fileName), real.read(8192));
         },
         true, TextRecognitionError::Kind::engineModuleUnusable},
        {"another library without the entry point",
         [&](const QString& dir) {
             ASSERT_TRUE(QFile::copy(QStringLiteral("/lib/x86_64-linux-gnu/libz.so.1"),
                                     QDir(dir).filePath(fileName)));
         },
         true, TextRecognitionError::Kind::engineModuleUnusable},
    };
    for (const ModuleCase& c : cases) {
        QTemporaryDir dir;
        c.prepare(dir.path());
        QStringList directories = {dir.filePath(QStringLiteral("absent")), dir.path()};
        if (c.realModuleLater) {
            directories << builtModuleDirectory();
        }
        RecognitionWorker worker(RecognitionEngine::defaultDataPath(), directories);
        // Twice: a failed load is tried again with the next request, and fails the same way.
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                worker.submit(sample()).waitForFinished();
                ADD_FAILURE() << c.name << ": recognised without a usable module";
            } catch (const TextRecognitionError& error) {
                EXPECT_EQ(error.kind(), c.kind) << c.name;
                const QString description = error.localizedDescription();
                // Names the file the user has to look at: the first one found, or every one tried.
                EXPECT_TRUE(description.contains(QDir(dir.path()).filePath(fileName))) << c.name;
                if (c.kind == TextRecognitionError::Kind::engineModuleMissing) {
                    EXPECT_TRUE(description.contains(dir.filePath(QStringLiteral("absent/")) + fileName))
                        << c.name;
                }
            }
        }
    }
}

TEST(RecognitionEngineLoaderTest, TheFirstUsableModuleInTheSearchReadsText) {
    QTemporaryDir empty;
    RecognitionWorker worker(RecognitionEngine::defaultDataPath(), {empty.filePath(QStringLiteral("absent")),
                                                                    empty.path(), builtModuleDirectory()});
    EXPECT_EQ(worker.submit(sample()).result(), QStringLiteral("Module"));
}

TEST(RecognitionEngineLoaderTest, OcrWithoutTheModuleTellsTheUserWhatIsMissing) {
    QTemporaryDir empty;
    TextRecognizer recognizer({}, {empty.path()});
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    QTemporaryDir logDir;
    const QString previousLog = Log::filePath();
    Log::setFilePath(logDir.filePath(QStringLiteral("ocr.log")));
    QString notice;
    int notices = 0;
    QCoro::waitFor(OcrAction::run(recognizer, sample(), [&](const QString& text) {
        notice = text;
        ++notices;
    }));
    Log::setFilePath(previousLog);

    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    EXPECT_EQ(notices, 1);
    const QString expected =
        L10n::format(QStringLiteral("ocr.failed"),
                     {TextRecognitionError::engineModuleMissing(
                          {QDir(empty.path()).filePath(RecognitionEngineLoader::moduleFileName())})
                          .localizedDescription()});
    EXPECT_EQ(notice, expected);
    for (const L10n::Language language : L10n::allLanguages()) {
        for (const char* key : {"ocr.error.engineModuleMissing", "ocr.error.engineModuleUnusable"}) {
            EXPECT_NE(L10n::text(language, QString::fromLatin1(key)), QString::fromLatin1(key)) << key;
        }
    }
}

} // namespace
