#pragma once

#include "Foundation/Setting.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class QImage;
class QObject;
class QWidget;

// PNG files: the default folder with generated, never-overwriting names, or the save panel.
// Encoding and file I/O of the asynchronous calls run on the output worker thread; results and
// logging come back on the main thread.
class ImageSaver {
public:
    using Location = std::optional<QString>;

    struct Preference {
        static constexpr const char* defaultDirectoryKey = "TessaryDefaultSaveDirectory";
        static constexpr const char* alwaysAskKey = "TessaryAlwaysAskWhereToSave";
        static constexpr const char* lastDirectoryKey = "TessaryLastSaveDirectory";
        static const TextSetting& defaultDirectorySetting();
        static const FlagSetting& alwaysAskSetting();
        static const TextSetting& lastDirectorySetting();

        static std::optional<QString> defaultDirectory();
        static void setDefaultDirectory(const std::optional<QString>& directory);
        static bool alwaysAskWhereToSave();
        static void setAlwaysAskWhereToSave(bool ask);
        // defaultDirectory, else the Desktop folder, else home.
        static QString resolvedDirectory();
    };

    static QString suggestedFileStem(const QDateTime& date);

    // Replaces an existing file (the user chose it); atomic. Logs failures.
    static bool write(const QImage& image, const QString& path);
    static bool writeData(const QByteArray& png, const QString& path);

    // Creates dir/<stem>.png or the next free -2, -3 … name without ever replacing a file, even
    // one that appears meanwhile. Returns the path, or an error text. Thread-safe.
    struct NewFileResult {
        std::optional<QString> path;
        QString error;
    };
    static NewFileResult writeNewFile(const QByteArray& png, const QString& directory, const QString& stem);

    static Location saveToDefaultDirectory(const QImage& image);
    static Location presentSavePanel(const QImage& image, QWidget* parent = nullptr);

    // Asynchronous forms for the capture flow: `done` runs on the main thread unless `context` is gone.
    static void saveToDefaultDirectoryAsync(const QImage& image, QObject* context,
                                            std::function<void(Location)> done);
    static void writeAsync(const QImage& image, const QString& path, QObject* context,
                           std::function<void(bool)> done);

    // Encodes into a new file as writeNewFile names it, writing while it compresses; an empty
    // error with no path means the encoding failed.
    static NewFileResult encodeNewFile(const QImage& image, const QString& directory, const QString& stem);

private:
    // Logs the outcome of a default-folder save, falling back to the panel on failure (main thread).
    static Location concludeDefaultSave(const NewFileResult& result, const QString& directory,
                                        const QImage& image);
};
