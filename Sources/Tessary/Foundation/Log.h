#pragma once

class QString;

// The process log channel: one line per message, to stderr and to
// $XDG_STATE_HOME/tessary/tessary.log. Texts are passed through unchanged.
namespace Log {
void info(const QString& text);
void notice(const QString& text);
void error(const QString& text);

// Tests and scripted runs may redirect the file; an empty path disables it.
void setFilePath(const QString& path);
QString filePath();
} // namespace Log
