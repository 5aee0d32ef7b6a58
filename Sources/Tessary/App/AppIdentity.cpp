#include "App/AppIdentity.h"

#include <QCoreApplication>
#include <QSettings>

namespace AppIdentity {

void install() {
    QCoreApplication::setOrganizationName(QStringLiteral("tessary"));
    QCoreApplication::setApplicationName(QStringLiteral("tessary"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSARY_VERSION));
    QSettings::setDefaultFormat(QSettings::IniFormat);
}

} // namespace AppIdentity
