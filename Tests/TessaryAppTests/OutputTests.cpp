#include "Output/Clipboard.h"
#include "Output/ImageSaver.h"
#include "Output/PinnedImageWindow.h"
#include "Output/PngEncoder.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QImage patterned(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixelColor(x, y,
                                QColor((x * 7) % 256, (y * 13) % 256, (x + y) % 256,
                                       format == QImage::Format_ARGB32 ? (x * 3) % 256 : 255));
        }
    }
    return image;
}

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("taken");
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(PngEncoder, RoundTripsPixelsAndRecordsOnePointPerPixel) {
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888}) {
        const QImage source = patterned(37, 23, format);
        const QByteArray png = PngEncoder::encode(source);
        ASSERT_FALSE(png.isEmpty());
        QImage decoded;
        ASSERT_TRUE(decoded.loadFromData(png, "PNG"));
        EXPECT_EQ(decoded.hasAlphaChannel(), source.hasAlphaChannel());
        EXPECT_EQ(decoded.convertToFormat(QImage::Format_ARGB32),
                  source.convertToFormat(QImage::Format_ARGB32))
            << "format " << format;
        EXPECT_EQ(decoded.dotsPerMeterX(), 2835);
        EXPECT_EQ(decoded.dotsPerMeterY(), 2835);
    }
    EXPECT_TRUE(PngEncoder::encode(QImage()).isEmpty());
}

TEST(ImageSaver, NewFilesTakeTheNextFreeNameAndNeverReplaceOne) {
    QTemporaryDir dir;
    const QString stem = QStringLiteral("Tessary_2026-12-07_14-03-09");
    touch(dir.filePath(stem + ".png"));
    touch(dir.filePath(stem + "-2.png"));
    const QByteArray png = PngEncoder::encode(patterned(8, 8, QImage::Format_RGB32));

    const auto third = ImageSaver::writeNewFile(png, dir.path(), stem);
    ASSERT_TRUE(third.path.has_value());
    EXPECT_EQ(*third.path, dir.filePath(stem + "-3.png"));
    EXPECT_EQ(contents(*third.path), png);
    EXPECT_EQ(contents(dir.filePath(stem + ".png")), QByteArray("taken"));
    EXPECT_EQ(contents(dir.filePath(stem + "-2.png")), QByteArray("taken"));

    const auto fourth = ImageSaver::writeNewFile(png, dir.path(), stem);
    ASSERT_TRUE(fourth.path.has_value());
    EXPECT_EQ(*fourth.path, dir.filePath(stem + "-4.png"));
    // No temporary files are left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

TEST(ImageSaver, MissingOrUnwritableFolderReportsAnErrorAndWritesNothing) {
    QTemporaryDir dir;
    const QByteArray png = PngEncoder::encode(patterned(4, 4, QImage::Format_RGB32));
    touch(dir.filePath("plain-file"));
    // Unusable for every user, root included.
    for (const char* folder : {"gone", "plain-file", "plain-file/below"}) {
        const auto result = ImageSaver::writeNewFile(png, dir.filePath(folder), QStringLiteral("S"));
        EXPECT_FALSE(result.path.has_value()) << folder;
        EXPECT_FALSE(result.error.isEmpty()) << folder;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("plain-file")});

    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    if (!QFileInfo(dir.path()).isWritable()) {
        // Permissions only bind users other than root.
        const auto readOnly = ImageSaver::writeNewFile(png, dir.path(), QStringLiteral("S"));
        EXPECT_FALSE(readOnly.path.has_value());
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(ImageSaver, ExplicitWritesCreateOrReplaceTheChosenFile) {
    const QImage image = patterned(30, 20, QImage::Format_RGB32);
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "replacing a file" : "a new file");
        QTemporaryDir dir;
        const QString path = dir.filePath("chosen.png");
        if (existing) {
            touch(path);
        }
        ASSERT_TRUE(ImageSaver::write(image, path));
        EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), image);
        EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther), QFile::ReadOther);
        // Nothing but the chosen file is left in the folder.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("chosen.png")});
    }
    QTemporaryDir dir;
    EXPECT_FALSE(ImageSaver::write(image, dir.filePath("no/such/folder/x.png")));
}

// Files may grow to `bytes` only (writes past it fail with EFBIG, as on a full disk) while alive.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(ImageSaver, AWriteThatFailsMidwayLeavesNoPartialFileAndKeepsTheOldOne) {
    // Noise compresses badly: the PNG is far larger than the limit.
    QImage image(900, 700, QImage::Format_RGB32);
    quint32 state = 7;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = 0xff000000u | (state >> 8);
        }
    }
    const QByteArray old("the user's earlier file");
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "replacing a file" : "a new file");
        QTemporaryDir dir;
        const QString path = dir.filePath("chosen.png");
        if (existing) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        bool written = true;
        ImageSaver::NewFileResult fresh;
        {
            const FileSizeLimit limit(64 * 1024);
            written = ImageSaver::write(image, path);
            fresh = ImageSaver::encodeNewFile(image, dir.path(), QStringLiteral("S"));
        }
        EXPECT_FALSE(written);
        EXPECT_FALSE(fresh.path.has_value());
        EXPECT_FALSE(fresh.error.isEmpty()); // a write failure, not an encoding failure
        const QStringList expected = existing ? QStringList{QStringLiteral("chosen.png")} : QStringList{};
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), expected);
        if (existing) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), old);
        }
    }
}

TEST(ImageSaver, PreferencesFallBackToSafeDefaults) {
    QSettings settings;
    settings.clear();
    EXPECT_TRUE(ImageSaver::Preference::alwaysAskWhereToSave());
    const struct {
        const char* stored;
        bool expected;
    } cases[] = {{"false", false}, {"true", true}, {"0", false}, {"garbage", true}};
    for (const auto& c : cases) {
        settings.setValue(ImageSaver::Preference::alwaysAskKey, QString::fromLatin1(c.stored));
        EXPECT_EQ(ImageSaver::Preference::alwaysAskWhereToSave(), c.expected) << c.stored;
    }
    settings.setValue(ImageSaver::Preference::defaultDirectoryKey, QStringLiteral("/srv/shots"));
    EXPECT_EQ(ImageSaver::Preference::resolvedDirectory(), QStringLiteral("/srv/shots"));
    ImageSaver::Preference::setDefaultDirectory(std::nullopt);
    EXPECT_FALSE(ImageSaver::Preference::defaultDirectory().has_value());
    EXPECT_FALSE(ImageSaver::Preference::resolvedDirectory().isEmpty());
    settings.clear();
}

TEST(ImageSaver, FileStemUsesAsciiDigitsAndTheFixedPattern) {
    const QDateTime date(QDate(2026, 12, 7), QTime(14, 3, 9));
    EXPECT_EQ(ImageSaver::suggestedFileStem(date), QStringLiteral("Tessary_2026-12-07_14-03-09"));
}

TEST(Clipboard, PutsPngFirstAndTheFullResolutionImage) {
    const QImage image = patterned(64, 48, QImage::Format_RGB32);
    ASSERT_TRUE(Clipboard::write(image));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat("image/png"));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(data->data("image/png"), "PNG"));
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_FALSE(Clipboard::write(QImage()));
}

TEST(PinnedImageWindow, KeysCopyAndCloseOnlyTheirOwnPin) {
    const QImage image = patterned(200, 100, QImage::Format_RGB32);
    PinnedImageWindow* first = PinnedImageWindow::pin(image, {100, 100, 100, 50});
    PinnedImageWindow* second = PinnedImageWindow::pin(image, {300, 300, 100, 50});
    ASSERT_EQ(PinnedImageWindow::openWindows().size(), 2);
    // A 2x capture shows at its size in points.
    EXPECT_EQ(first->size(), QSize(100, 50));

    QGuiApplication::clipboard()->clear();
    QKeyEvent plainC(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
    QApplication::sendEvent(first, &plainC);
    const QMimeData* afterPlainC = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(afterPlainC == nullptr || !afterPlainC->hasFormat("image/png"));

    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
    QApplication::sendEvent(first, &copy);
    QImage copied;
    const QMimeData* afterCopy = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(afterCopy, nullptr);
    ASSERT_TRUE(copied.loadFromData(afterCopy->data("image/png"), "PNG"));
    EXPECT_EQ(copied.size(), QSize(200, 100));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(first, &escape);
    EXPECT_EQ(PinnedImageWindow::openWindows(), QList<PinnedImageWindow*>{second});
    EXPECT_TRUE(second->isVisible());
    second->closeWindow();
    EXPECT_TRUE(PinnedImageWindow::openWindows().isEmpty());
}

TEST(PinnedImageWindow, ContextMenuFollowsTheSavePreference) {
    PinnedImageWindow* pin = PinnedImageWindow::pin(patterned(10, 10, QImage::Format_RGB32), {0, 0, 10, 10});
    const auto saveTitle = [pin] { return pin->makeContextMenu()->actions().at(1)->text(); };
    ImageSaver::Preference::setAlwaysAskWhereToSave(true);
    const QString asking = saveTitle();
    ImageSaver::Preference::setAlwaysAskWhereToSave(false);
    const QString direct = saveTitle();
    EXPECT_NE(asking, direct);
    EXPECT_EQ(asking, QStringLiteral("Save…"));
    pin->closeWindow();
}
