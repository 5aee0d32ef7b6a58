#pragma once

#include "TessaryCore/AppId.h"

#include <QString>

// The application id as Qt text: desktop file name, icon name, key store service.
namespace AppId {
inline QString applicationId() {
    return QString::fromLatin1(tessary::applicationId.data(), qsizetype(tessary::applicationId.size()));
}
// The monochrome variant a tray host draws in its own colour.
inline QString symbolicIconName() {
    return applicationId() + QStringLiteral("-symbolic");
}
} // namespace AppId
