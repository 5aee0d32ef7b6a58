#pragma once

#include <QString>

#include <stdexcept>

// Why freezing the displays failed. `noDisplays`: no display listed, or none matched a screen;
// `platform`: the backend failed (display too large, display gone) and said why; `refused`: the
// desktop or the user turned the capture down, and the user is told what to allow.
class ScreenCaptureError : public std::runtime_error {
public:
    enum class Kind { noDisplays, platform, refused };

    static ScreenCaptureError noDisplays();
    static ScreenCaptureError platform(const QString& description);
    static ScreenCaptureError refused(const QString& description);

    Kind kind() const { return m_kind; }
    // The user-facing text: localised for `noDisplays`, the backend's sentence otherwise.
    QString localizedDescription() const;

private:
    ScreenCaptureError(Kind kind, const QString& description);

    Kind m_kind;
    QString m_description;
};
