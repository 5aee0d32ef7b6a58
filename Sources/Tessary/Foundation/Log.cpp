#include "Foundation/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QString>

#include <cstdio>

namespace {

QMutex& logMutex() {
    static QMutex mutex;
    return mutex;
}

QString defaultFilePath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/tessary/tessary.log");
}

struct Sink {
    QString path = defaultFilePath();
    QFile file;
    bool triedOpen = false;
};

Sink& sink() {
    static Sink instance;
    return instance;
}

void write(const char* level, const QString& text) {
    const QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' ' + level +
                            ' ' + text.toUtf8() + '\n';
    QMutexLocker locker(&logMutex());
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
    Sink& s = sink();
    if (!s.triedOpen) {
        s.triedOpen = true;
        if (!s.path.isEmpty()) {
            QDir().mkpath(QFileInfo(s.path).absolutePath());
            s.file.setFileName(s.path);
            if (!s.file.open(QIODevice::Append | QIODevice::Text)) {
                std::fprintf(stderr, "log file unavailable: %s\n", qPrintable(s.path));
            }
        }
    }
    if (s.file.isOpen()) {
        s.file.write(line);
        s.file.flush();
    }
}

} // namespace

namespace Log {

void info(const QString& text) {
    write("info", text);
}
void notice(const QString& text) {
    write("notice", text);
}
void error(const QString& text) {
    write("error", text);
}

void setFilePath(const QString& path) {
    QMutexLocker locker(&logMutex());
    Sink& s = sink();
    s.file.close();
    s.path = path;
    s.triedOpen = false;
}

QString filePath() {
    QMutexLocker locker(&logMutex());
    return sink().path;
}

} // namespace Log
