#pragma once

#include "App/Log.h"
#include "Overlay/ScreenCapturer.h"
#include "Platform/Fake/FakePlatform.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// Installs a fresh fake platform, a settable capture clock and a private log file for one test,
// and puts everything back afterwards.
class FakePlatformScope {
public:
    FakePlatformScope() : m_previousLog(Log::filePath()) {
        auto platform = std::make_unique<FakePlatform>();
        m_platform = platform.get();
        Platform::setInstanceForTesting(std::move(platform));
        ScreenCapturer::dropCache();
        ScreenCapturer::setClockForTesting([this] { return clock; });
        Log::setFilePath(m_logDir.filePath(QStringLiteral("test.log")));
    }
    ~FakePlatformScope() {
        Log::setFilePath(m_previousLog);
        ScreenCapturer::setClockForTesting({});
        ScreenCapturer::dropCache();
        Platform::setInstanceForTesting(nullptr);
    }
    FakePlatformScope(const FakePlatformScope&) = delete;
    FakePlatformScope& operator=(const FakePlatformScope&) = delete;

    FakePlatform& platform() { return *m_platform; }
    FakeDisplayCapture& displays() { return m_platform->fakeDisplayCapture(); }

    // The message part of every log line written so far (after "<time> <level> ").
    QStringList logLines() const {
        QFile file(m_logDir.filePath(QStringLiteral("test.log")));
        QStringList lines;
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            for (const QString& line :
                 QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                lines.append(line.section(QLatin1Char(' '), 2));
            }
        }
        return lines;
    }

    double clock = 1000;

private:
    FakePlatform* m_platform = nullptr;
    QTemporaryDir m_logDir;
    QString m_previousLog;
};
