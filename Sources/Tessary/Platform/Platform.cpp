#include "Platform/Platform.h"

#include "App/Log.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/X11/X11Platform.h"

#include <QGuiApplication>

namespace {

std::unique_ptr<Platform>& current() {
    static std::unique_ptr<Platform> platform;
    return platform;
}

} // namespace

Platform::~Platform() = default;

Platform& Platform::instance() {
    std::unique_ptr<Platform>& platform = current();
    if (!platform) {
        platform = createDefault();
    }
    return *platform;
}

void Platform::setInstanceForTesting(std::unique_ptr<Platform> platform) {
    current() = std::move(platform);
}

std::unique_ptr<Platform> Platform::createDefault() {
    const QString requested = qEnvironmentVariable("TESSARY_PLATFORM").trimmed().toLower();
    const bool onXcb = QGuiApplication::platformName() == QLatin1String("xcb");
    if (requested == QLatin1String("fake")) {
        return std::make_unique<FakePlatform>();
    }
    if (!requested.isEmpty() && requested != QLatin1String("x11")) {
        Log::error(QStringLiteral("平台：不认识的 TESSARY_PLATFORM=") + requested +
                   QStringLiteral("，按默认选择。"));
    }
    if (onXcb) {
        if (std::unique_ptr<Platform> x11 = X11Platform::create()) {
            return x11;
        }
        Log::error(QStringLiteral("平台：连不上 X 服务器，改用模拟平台。"));
    } else if (requested == QLatin1String("x11")) {
        Log::error(QStringLiteral("平台：Qt 不在 xcb 平台上运行（") + QGuiApplication::platformName() +
                   QStringLiteral("），改用模拟平台。"));
    }
    return std::make_unique<FakePlatform>();
}
