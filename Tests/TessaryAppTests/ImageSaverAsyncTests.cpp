#include "Foundation/Log.h"
#include "Output/ImageSaver.h"
#include "OverlayTestSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// Sends the log to a file of its own for one test and reads it back.
class LogCapture {
public:
    LogCapture() : previous_(Log::filePath()) { Log::setFilePath(dir_.filePath("log.txt")); }
    ~LogCapture() { Log::setFilePath(previous_); }
    int count(const QString& text) const {
        QFile file(dir_.filePath("log.txt"));
        return file.open(QIODevice::ReadOnly) ? int(QString::fromUtf8(file.readAll()).count(text)) : 0;
    }

private:
    QTemporaryDir dir_;
    QString previous_;
};

QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 5 % 256, y * 3 % 256, (x ^ y) % 256));
        }
    }
    return image;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(ImageSaverAsync, ChosenFileIsReplacedOrTheFailureLoggedOnce) {
    QTemporaryDir dir;
    const QImage image = picture(40, 30);
    const struct {
        QString path;
        bool existed;
        bool expected;
    } cases[] = {
        {dir.filePath("chosen.png"), true, true},
        {dir.filePath("fresh.png"), false, true},
        {dir.filePath("no/such/folder/x.png"), false, false},
    };
    for (const auto& c : cases) {
        if (c.existed) {
            put(c.path, "old");
        }
        LogCapture log;
        QObject context;
        std::optional<bool> reported;
        bool onMainThread = false;
        ImageSaver::writeAsync(image, c.path, &context, [&](bool ok) {
            reported = ok;
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
        ASSERT_TRUE(OverlayTest::spinUntil([&] { return reported.has_value(); })) << c.path.toStdString();
        EXPECT_EQ(*reported, c.expected) << c.path.toStdString();
        EXPECT_TRUE(onMainThread);
        EXPECT_EQ(log.count(QStringLiteral("保存失败：")), c.expected ? 0 : 1) << c.path.toStdString();
        if (c.expected) {
            EXPECT_EQ(QImage(c.path).convertToFormat(QImage::Format_RGB32), image);
        } else {
            EXPECT_FALSE(QFile::exists(c.path));
        }
    }
}

TEST(ImageSaverAsync, DefaultFolderSavesNeverReplaceAFileAndLogOncePerSave) {
    QTemporaryDir dir;
    QSettings().remove(ImageSaver::Preference::defaultDirectoryKey);
    ImageSaver::Preference::setDefaultDirectory(dir.path());
    // Names a save starting now could want, already taken.
    const QDateTime now = QDateTime::currentDateTime();
    QStringList taken;
    for (int second = 0; second < 3; ++second) {
        const QString path = dir.filePath(ImageSaver::suggestedFileStem(now.addSecs(second)) + ".png");
        put(path, "taken");
        taken << path;
    }
    LogCapture log;
    const QImage image = picture(64, 48);
    std::vector<ImageSaver::Location> saved;
    auto context = std::make_unique<QObject>();
    for (int i = 0; i < 2; ++i) {
        ImageSaver::saveToDefaultDirectoryAsync(
            image, context.get(), [&](ImageSaver::Location location) { saved.push_back(location); });
    }
    // A save whose requester is gone still lands on disk; only the callback is skipped.
    bool orphanCalled = false;
    {
        QObject gone;
        ImageSaver::saveToDefaultDirectoryAsync(image, &gone,
                                                [&](ImageSaver::Location) { orphanCalled = true; });
    }
    ASSERT_TRUE(OverlayTest::spinUntil([&] { return saved.size() == 2; }));
    ASSERT_TRUE(
        OverlayTest::spinUntil([&] { return log.count(QStringLiteral("已直接保存到默认目录：")) == 3; }));
    OverlayTest::spin(50);
    EXPECT_FALSE(orphanCalled);
    ASSERT_TRUE(saved[0] && saved[1]);
    EXPECT_NE(*saved[0], *saved[1]);
    for (const ImageSaver::Location& location : saved) {
        EXPECT_FALSE(taken.contains(*location)) << location->toStdString();
        EXPECT_EQ(log.count(QStringLiteral("已直接保存到默认目录：") + *location + '\n'), 1);
        EXPECT_EQ(QImage(*location).convertToFormat(QImage::Format_RGB32), image);
    }
    for (const QString& path : taken) {
        EXPECT_EQ(contents(path), QByteArray("taken"));
    }
    EXPECT_EQ(log.count(QStringLiteral("默认目录写入失败")), 0);
    // Three new pictures beside the three taken names, and no temporary files left.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 6);
    ImageSaver::Preference::setDefaultDirectory(std::nullopt);
}
