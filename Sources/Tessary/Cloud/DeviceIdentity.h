#pragma once

#include "TessaryCore/CloudRequest.h"

#include <QString>
#include <QStringList>

// What the cloud service is told about this installation at login. The machine id never leaves
// the machine: only an application-specific hash of it does.
namespace DeviceIdentity {

struct Sources {
    QString machineIdPath = QStringLiteral("/etc/machine-id");
    QStringList osReleasePaths = {QStringLiteral("/etc/os-release"), QStringLiteral("/usr/lib/os-release")};
};

tessary::CloudRequest::Device describe(const QString& deviceId);
tessary::CloudRequest::Device describe(const QString& deviceId, const Sources& sources);

// Lower-case hex HMAC-SHA256 of the machine id keyed with the application id; empty when the
// machine id cannot be read or is empty.
QString hardwareHint(const QString& machineIdPath);

} // namespace DeviceIdentity
