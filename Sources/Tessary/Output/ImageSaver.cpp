#include "Output/ImageSaver.h"

#include "Foundation/Setting.h"

#include "Foundation/Log.h"
#include "Output/OutputWorker.h"
#include "Output/PngEncoder.h"
#include "TessaryCore/SaveNaming.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>

namespace {

QString encodingFailure() {
    return QStringLiteral("保存失败：无法生成 PNG 数据。");
}

std::optional<QString> existingDirectory(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

QString desktopDirectory() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return QFileInfo(desktop).isDir() ? desktop : QString();
}

// A file for the PNG under a temporary name in `directory`, removed again unless it is moved into place.
std::unique_ptr<QTemporaryFile> temporaryIn(const QDir& directory) {
    auto temporary =
        std::make_unique<QTemporaryFile>(directory.filePath(QStringLiteral(".tessary-XXXXXX.png.part")));
    temporary->setAutoRemove(true);
    return temporary;
}

// Moves a completely written temporary file to `target` unless that name exists (EEXIST in `error`
// tells the caller to pick another name), keeps it and flushes it to disk. Nothing is ever
// replaced, so the flush can follow the move: the picture appears as soon as it is written.
bool moveIntoPlace(QTemporaryFile& temporary, const QString& target, int* error) {
    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        *error = errno;
        return false;
    }
    temporary.setAutoRemove(false);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    ::fsync(temporary.handle());
    return true;
}

// Why a file could not be written. A short write leaves the file's own error unset; the system's
// reason is then in errno, which the callers clear before writing.
QString writeErrorText(const QFileDevice& file) {
    if (file.error() != QFileDevice::NoError) {
        return file.errorString();
    }
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("写入不完整");
}

// Writing the PNG into an open file: either bytes already encoded, or the encoder streaming into
// the file while it compresses.
struct WriteResult {
    bool ok = true;
    QString writeError; // empty when it failed: the encoding failed
};
using PngWriter = std::function<WriteResult(QFileDevice& file)>;

PngWriter bytesWriter(const QByteArray& png) {
    return [&png](QFileDevice& file) {
        errno = 0;
        return file.write(png) == png.size() ? WriteResult{} : WriteResult{false, writeErrorText(file)};
    };
}

PngWriter encodingWriter(const QImage& image) {
    return [&image](QFileDevice& file) {
        bool wroteAll = true;
        const bool ok = PngEncoder::encodeTo(image, [&](const char* data, qsizetype size) {
            errno = 0;
            wroteAll = file.write(data, size) == size;
            return wroteAll;
        });
        if (ok) {
            return WriteResult{};
        }
        return WriteResult{false, wroteAll ? QString() : writeErrorText(file)};
    };
}

// The log line for a failed write.
QString failureLine(const WriteResult& result) {
    return result.writeError.isEmpty() ? encodingFailure() : QStringLiteral("保存失败：") + result.writeError;
}

// Writes the PNG and flushes it.
WriteResult writeAll(const PngWriter& writer, QFileDevice& file) {
    WriteResult result = writer(file);
    if (result.ok && !file.flush()) {
        result = {false, writeErrorText(file)};
    }
    return result;
}

// Writes a file that does not exist yet; with no earlier file at that name a crash cannot cost the
// user anything they had. Returns false when the name is taken (or the folder refuses a temporary
// file), leaving the write to the replacing path.
bool writeFresh(const PngWriter& writer, const QString& path, QString* failure) {
    const QFileInfo target(path);
    const auto temporary = temporaryIn(target.absoluteDir());
    if (!temporary->open()) {
        return false;
    }
    if (const WriteResult result = writeAll(writer, *temporary); !result.ok) {
        *failure = failureLine(result);
        return true;
    }
    int error = 0;
    if (!moveIntoPlace(*temporary, target.absoluteFilePath(), &error)) {
        if (error != EEXIST) {
            *failure = QStringLiteral("保存失败：") + QString::fromLocal8Bit(std::strerror(error));
            return true;
        }
        return false;
    }
    return true;
}

// Writes the file atomically, replacing one that exists. Returns the log line of a failure, or
// nothing. Safe on any thread.
QString replaceFile(const PngWriter& writer, const QString& path) {
    if (!QFileInfo::exists(path)) {
        QString failure;
        if (writeFresh(writer, path, &failure)) {
            return failure;
        }
    }
    // An existing file is replaced only once the new one is safely on disk.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("保存失败：") + file.errorString();
    }
    if (const WriteResult result = writer(file); !result.ok) {
        file.cancelWriting();
        return failureLine(result);
    }
    if (!file.commit()) {
        return QStringLiteral("保存失败：") + file.errorString();
    }
    return {};
}

// Creates dir/<stem>.png or the next free name (see writeNewFile).
ImageSaver::NewFileResult createNewFile(const PngWriter& writer, const QString& directory,
                                        const QString& stem) {
    const QDir dir(directory);
    if (!dir.exists()) {
        return {std::nullopt, QStringLiteral("目录不存在：") + directory};
    }
    const auto temporary = temporaryIn(dir);
    if (!temporary->open()) {
        return {std::nullopt, temporary->errorString()};
    }
    if (const WriteResult result = writeAll(writer, *temporary); !result.ok) {
        return {std::nullopt, result.writeError};
    }
    // Another program may create the chosen name between the check and the move; the move
    // refuses then, and the next free name is tried.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = tessary::SaveNaming::uniqueFileName(
            stem.toStdString(), "png",
            [&dir](const std::string& candidate) { return dir.exists(QString::fromStdString(candidate)); });
        const QString target = dir.filePath(QString::fromStdString(name));
        int error = 0;
        if (moveIntoPlace(*temporary, target, &error)) {
            return {target, QString()};
        }
        if (error != EEXIST) {
            return {std::nullopt, QString::fromLocal8Bit(std::strerror(error))};
        }
    }
    return {std::nullopt, QStringLiteral("找不到可用的文件名")};
}

} // namespace

const TextSetting& ImageSaver::Preference::defaultDirectorySetting() {
    static const TextSetting setting{defaultDirectoryKey, QString(), SettingValue::toText};
    return setting;
}

const FlagSetting& ImageSaver::Preference::alwaysAskSetting() {
    // Anything unreadable keeps the safe default: ask.
    static const FlagSetting setting{alwaysAskKey, true, SettingValue::toBool};
    return setting;
}

const TextSetting& ImageSaver::Preference::lastDirectorySetting() {
    static const TextSetting setting{lastDirectoryKey, QString(), SettingValue::toText};
    return setting;
}

std::optional<QString> ImageSaver::Preference::defaultDirectory() {
    const std::optional<QString> stored = defaultDirectorySetting().stored();
    return stored ? existingDirectory(*stored) : std::nullopt;
}

void ImageSaver::Preference::setDefaultDirectory(const std::optional<QString>& directory) {
    if (directory) {
        defaultDirectorySetting().set(*directory);
    } else {
        defaultDirectorySetting().remove();
    }
}

bool ImageSaver::Preference::alwaysAskWhereToSave() {
    return alwaysAskSetting().value();
}

void ImageSaver::Preference::setAlwaysAskWhereToSave(bool ask) {
    alwaysAskSetting().set(ask);
}

QString ImageSaver::Preference::resolvedDirectory() {
    if (auto directory = defaultDirectory()) {
        return *directory;
    }
    const QString desktop = desktopDirectory();
    return desktop.isEmpty() ? QDir::homePath() : desktop;
}

QString ImageSaver::suggestedFileStem(const QDateTime& date) {
    const auto point =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(date.toMSecsSinceEpoch()));
    return QString::fromStdString(tessary::SaveNaming::suggestedFileStem(point));
}

bool ImageSaver::writeData(const QByteArray& png, const QString& path) {
    const QString failure = replaceFile(bytesWriter(png), path);
    if (!failure.isEmpty()) {
        Log::error(failure);
        return false;
    }
    return true;
}

bool ImageSaver::write(const QImage& image, const QString& path) {
    const QString failure = replaceFile(encodingWriter(image), path);
    if (!failure.isEmpty()) {
        Log::error(failure);
        return false;
    }
    return true;
}

ImageSaver::NewFileResult ImageSaver::writeNewFile(const QByteArray& png, const QString& directory,
                                                   const QString& stem) {
    return createNewFile(bytesWriter(png), directory, stem);
}

ImageSaver::NewFileResult ImageSaver::encodeNewFile(const QImage& image, const QString& directory,
                                                    const QString& stem) {
    return createNewFile(encodingWriter(image), directory, stem);
}

ImageSaver::Location ImageSaver::concludeDefaultSave(const NewFileResult& result, const QString& directory,
                                                     const QImage& image) {
    if (result.path) {
        Log::info(QStringLiteral("已直接保存到默认目录：") + *result.path);
        return result.path;
    }
    Log::error(result.error.isEmpty() ? encodingFailure() : QStringLiteral("保存失败：") + result.error);
    Log::error(QStringLiteral("默认目录写入失败（") + directory +
               QStringLiteral("），退回保存面板让用户自己挑位置。"));
    // The picture is never dropped: the panel lets the user put it somewhere else.
    return presentSavePanel(image);
}

ImageSaver::Location ImageSaver::saveToDefaultDirectory(const QImage& image) {
    const QString directory = Preference::resolvedDirectory();
    return concludeDefaultSave(
        encodeNewFile(image, directory, suggestedFileStem(QDateTime::currentDateTime())), directory, image);
}

ImageSaver::Location ImageSaver::presentSavePanel(const QImage& image, QWidget* parent) {
    QString initial;
    if (auto directory = Preference::defaultDirectory()) {
        initial = *directory;
    } else {
        initial = Preference::lastDirectorySetting().value();
        if (initial.isEmpty()) {
            initial = desktopDirectory();
        }
    }
    const QString name = suggestedFileStem(QDateTime::currentDateTime()) + QStringLiteral(".png");
    const QString start = initial.isEmpty() ? name : QDir(initial).filePath(name);
    const QString chosen =
        QFileDialog::getSaveFileName(parent, QString(), start, QStringLiteral("PNG (*.png)"));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    { Preference::lastDirectorySetting().set(QFileInfo(chosen).absolutePath()); }
    if (!write(image, chosen)) {
        return std::nullopt;
    }
    return chosen;
}

void ImageSaver::saveToDefaultDirectoryAsync(const QImage& image, QObject* context,
                                             std::function<void(Location)> done) {
    QPointer<QObject> guard(context);
    const QString directory = Preference::resolvedDirectory();
    const QString stem = suggestedFileStem(QDateTime::currentDateTime());
    auto future = QtConcurrent::run(
        OutputWorker::pool(), [image, directory, stem] { return encodeNewFile(image, directory, stem); });
    future.then(QCoreApplication::instance(),
                [guard, image, directory, done = std::move(done)](const NewFileResult& result) {
                    const Location location = concludeDefaultSave(result, directory, image);
                    if (guard && done) {
                        done(location);
                    }
                });
}

void ImageSaver::writeAsync(const QImage& image, const QString& path, QObject* context,
                            std::function<void(bool)> done) {
    QPointer<QObject> guard(context);
    // Encoding and writing both stay off the main thread; only the outcome comes back.
    auto future = QtConcurrent::run(OutputWorker::pool(),
                                    [image, path] { return replaceFile(encodingWriter(image), path); });
    future.then(QCoreApplication::instance(), [guard, done = std::move(done)](const QString& failure) {
        if (!failure.isEmpty()) {
            Log::error(failure);
        }
        if (guard && done) {
            done(failure.isEmpty());
        }
    });
}
