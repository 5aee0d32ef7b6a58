#include "App/AppIdentity.h"

#include "Foundation/AppId.h"

#include <QGuiApplication>
#include <QSettings>

namespace AppIdentity {

void install() {
    QCoreApplication::setOrganizationName(QStringLiteral("tessary"));
    QCoreApplication::setApplicationName(QStringLiteral("tessary"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSARY_VERSION));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    // Wayland's app_id and the portals match windows to the installed desktop entry by this.
    QGuiApplication::setDesktopFileName(AppId::applicationId());
}

} // namespace AppIdentity
