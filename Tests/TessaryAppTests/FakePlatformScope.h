#pragma once

#include "Foundation/Log.h"
#include "LogFileLines.h"
#include "Overlay/Session/CaptureServices.h"
#include "Overlay/Session/ScreenCapturer.h"
#include "Platform/Fake/FakePlatform.h"
#include "Recognition/TextRecognizer.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A fresh fake platform, a capture service on a settable clock and a private log file for one
// test; the log goes back to where it was afterwards.
class FakePlatformScope {
public:
    FakePlatformScope() : m_previousLog(Log::filePath()) {
        Log::setFilePath(m_logDir.filePath(QStringLiteral("test.log")));
    }
    ~FakePlatformScope() { Log::setFilePath(m_previousLog); }
    FakePlatformScope(const FakePlatformScope&) = delete;
    FakePlatformScope& operator=(const FakePlatformScope&) = delete;

    FakePlatform& platform() { return m_platform; }
    FakeDisplayCapture& displays() { return m_platform.fakeDisplayCapture(); }
    ScreenCapturer& capturer() { return m_capturer; }
    CaptureServices services() {
        return {m_capturer,
                m_platform.displayCapture(),
                m_platform.windowList(),
                m_platform.frontmostWindow(),
                m_platform.capturePermission(),
                m_recognizer};
    }

    // The message part of every log line written so far (after "<time> <level> ").
    QStringList logLines() const { return logFileLines(m_logDir.filePath(QStringLiteral("test.log"))); }

    double clock = 1000;

private:
    FakePlatform m_platform;
    ScreenCapturer m_capturer{m_platform.displayCapture(), m_platform.capturePermission(),
                              [this] { return clock; }};
    TextRecognizer m_recognizer;
    QTemporaryDir m_logDir;
    QString m_previousLog;
};
