#include "Overlay/Session/ScreenCaptureError.h"

#include "Foundation/L10n.h"

ScreenCaptureError::ScreenCaptureError(Kind kind, const QString& description)
    : std::runtime_error(description.toStdString()), m_kind(kind), m_description(description) {}

ScreenCaptureError ScreenCaptureError::noDisplays() {
    return ScreenCaptureError(Kind::noDisplays, QStringLiteral("noDisplays"));
}

ScreenCaptureError ScreenCaptureError::platform(const QString& description) {
    return ScreenCaptureError(Kind::platform, description);
}

ScreenCaptureError ScreenCaptureError::refused(const QString& description) {
    return ScreenCaptureError(Kind::refused, description);
}

QString ScreenCaptureError::localizedDescription() const {
    return m_kind == Kind::noDisplays ? L10n::text(QStringLiteral("capture.error.noDisplays"))
                                      : m_description;
}
