#include "Platform/Wayland/WaylandDisplayCapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The portal's file is deleted only when it is certainly a scratch copy made for this request.
struct DisposalCase {
    const char* name;
    // Folder the file is written in: "temp", "cache" or "pictures".
    const char* folder;
    bool symlink;
    int ageSeconds;
    bool disposable;
};

class PortalFileDisposalTest : public testing::TestWithParam<DisposalCase> {};

QString folderFor(const QString& kind) {
    if (kind == QLatin1String("temp")) {
        return QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    }
    if (kind == QLatin1String("cache")) {
        return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    }
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

TEST_P(PortalFileDisposalTest, DeletesOnlyScratchFilesOfThisRequest) {
    const DisposalCase& c = GetParam();
    // A home of the test's own (each case runs in a process of its own), so nothing of the user's
    // is touched: Pictures and the cache folder lie inside it, and it lies in the temporary folder.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toUtf8());
    const QString folder = folderFor(QString::fromLatin1(c.folder));
    ASSERT_TRUE(QDir().mkpath(folder));
    QTemporaryDir scratch(folder + QStringLiteral("/portal-XXXXXX"));
    ASSERT_TRUE(scratch.isValid()) << qPrintable(folder);
    const QString target = scratch.filePath(QStringLiteral("screenshot.png"));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("png");
    file.close();
    const QDateTime requestedAt = QDateTime::currentDateTime().addSecs(c.ageSeconds);
    QString path = target;
    if (c.symlink) {
        path = scratch.filePath(QStringLiteral("link.png"));
        ASSERT_TRUE(QFile::link(target, path));
    }
    EXPECT_EQ(WaylandDisplayCapture::isDisposable(path, requestedAt), c.disposable);
    EXPECT_TRUE(QFile::exists(target)) << "deciding must not delete anything";
}

INSTANTIATE_TEST_SUITE_P(Files, PortalFileDisposalTest,
                         testing::Values(DisposalCase{"freshInTemp", "temp", false, -1, true},
                                         DisposalCase{"freshInCache", "cache", false, -1, true},
                                         DisposalCase{"inPictures", "pictures", false, -1, false},
                                         DisposalCase{"symlinkInTemp", "temp", true, -1, false},
                                         // Written before the request began: some other screenshot.
                                         DisposalCase{"olderThanRequest", "temp", false, 30, false}),
                         [](const testing::TestParamInfo<DisposalCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
