#include "Preferences/LaunchAtLogin.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Launcher paths with characters the Exec key reserves still give an entry desktops accept.
TEST(LaunchAtLogin, EntriesForAwkwardLauncherPathsValidate) {
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed (scripts/bootstrap installs it)";
    }
    const QString paths[] = {
        QStringLiteral("/usr/local/bin/tessary"),     QStringLiteral("/opt/My Apps/bin/tessary"),
        QStringLiteral("/home/mei/100%/bin/tessary"), QStringLiteral("/srv/a\"b$c`d\\e/bin/tessary"),
        QStringLiteral("/home/美/bin/tessary"),
    };
    QTemporaryDir directory;
    for (const QString& path : paths) {
        const QString file = directory.filePath(QStringLiteral("org.tessary.Tessary.desktop"));
        QFile entry(file);
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
        entry.write(LaunchAtLogin::entryText(path));
        entry.close();
        QProcess validate;
        validate.start(validator, {file});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << path.toStdString() << ": " << validate.readAll().toStdString();
        EXPECT_TRUE(QString::fromUtf8(LaunchAtLogin::entryText(path))
                        .contains(QStringLiteral("\nTryExec=") +
                                  QString(path).replace(QLatin1String("\\"), QLatin1String("\\\\")) +
                                  QLatin1Char('\n')))
            << path.toStdString();
    }
}
