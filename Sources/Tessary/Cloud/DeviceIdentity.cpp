#include "Cloud/DeviceIdentity.h"

#include "Foundation/AppId.h"
#include "TessaryCore/OsRelease.h"

#include <QFile>
#include <QMessageAuthenticationCode>
#include <QSysInfo>

namespace DeviceIdentity {

namespace {

// Both files are a few hundred bytes; anything much larger is not what we expect.
constexpr qint64 readCap = 64 * 1024;

QByteArray readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(readCap);
}

} // namespace

QString hardwareHint(const QString& machineIdPath) {
    const QByteArray machineId = readSmallFile(machineIdPath).trimmed();
    if (machineId.isEmpty()) {
        return {};
    }
    return QString::fromLatin1(QMessageAuthenticationCode::hash(machineId, AppId::applicationId().toUtf8(),
                                                                QCryptographicHash::Sha256)
                                   .toHex());
}

tessary::CloudRequest::Device describe(const QString& deviceId) {
    return describe(deviceId, Sources());
}

tessary::CloudRequest::Device describe(const QString& deviceId, const Sources& sources) {
    tessary::CloudRequest::Device device;
    device.deviceId = deviceId.toStdString();
    device.deviceName = QSysInfo::machineHostName().toStdString();
    device.appVersion = TESSARY_VERSION;
    for (const QString& path : sources.osReleasePaths) {
        const QByteArray text = readSmallFile(path);
        if (!text.isEmpty()) {
            device.osVersion =
                tessary::OsRelease::description(std::string_view(text.constData(), text.size()));
            break;
        }
    }
    const QString hint = hardwareHint(sources.machineIdPath);
    if (!hint.isEmpty()) {
        device.hardwareHint = hint.toStdString();
    }
    return device;
}

} // namespace DeviceIdentity
