#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Qt's screens are fixed when the application starts, so tests that need several screens run in a
// child process of this test binary, started on the offscreen platform with a screen file.
namespace ScreenLayoutChild {

inline constexpr const char* layoutVariable = "TESSARY_TEST_SCREEN_LAYOUT";

// True inside the child started for `layout`.
inline bool inLayout(const char* layout) {
    return qEnvironmentVariable(layoutVariable) == QLatin1String(layout);
}

// Runs the tests matching `filter` in a child whose screens come from `json`; prints its output on
// failure. `expectedTests` guards against a filter that matches nothing.
inline void runInLayout(const char* layout, const char* json, const QString& filter, int expectedTests) {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(json);
    file.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    env.insert(QStringLiteral("TESSARY_PLATFORM"), QStringLiteral("fake"));
    env.insert(QLatin1String(layoutVariable), QLatin1String(layout));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << qPrintable(output);
    EXPECT_EQ(output.count(QStringLiteral("[       OK ]")), expectedTests) << qPrintable(output);
}

} // namespace ScreenLayoutChild
