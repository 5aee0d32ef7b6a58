#include "Platform/Platform.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Null/NullPlatform.h"
#include "Platform/Wayland/WaylandPlatform.h"
#include "Platform/X11/X11Platform.h"

#include <QGuiApplication>

namespace {

std::unique_ptr<Platform> refusing(const QString& session) {
    Log::error(QStringLiteral("平台：当前会话（") + session +
               QStringLiteral("）没有可用的截屏后端，截图将被拒绝。"));
    return std::make_unique<NullPlatform>(
        L10n::format(QStringLiteral("capture.error.unavailable"), {session}));
}

} // namespace

Platform::~Platform() = default;

std::unique_ptr<Platform> Platform::createDefault() {
    const QString requested = qEnvironmentVariable("TESSARY_PLATFORM").trimmed().toLower();
    if (requested == QLatin1String("fake")) {
        return std::make_unique<FakePlatform>();
    }
    if (!requested.isEmpty() && requested != QLatin1String("x11")) {
        Log::error(QStringLiteral("平台：不认识的 TESSARY_PLATFORM=") + requested +
                   QStringLiteral("，按默认选择。"));
    }
    const QString qtPlatform = QGuiApplication::platformName();
    // An X11 session stays on X11 even where a Wayland compositor could be reached.
    const bool x11Session = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("x11");
    if (qtPlatform.startsWith(QLatin1String("wayland")) && !x11Session) {
        return std::make_unique<WaylandPlatform>();
    }
    if (qtPlatform != QLatin1String("xcb")) {
        return refusing(qtPlatform);
    }
    if (std::unique_ptr<Platform> x11 = X11Platform::create()) {
        return x11;
    }
    return refusing(QStringLiteral("xcb"));
}
