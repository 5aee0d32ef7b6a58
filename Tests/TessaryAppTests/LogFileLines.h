#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// The message part of every line of a log file (after "<time> <level> ").
inline QStringList logFileLines(const QString& path) {
    QFile file(path);
    QStringList lines;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QString& line :
             QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            lines.append(line.section(QLatin1Char(' '), 2));
        }
    }
    return lines;
}
