#pragma once

#include "TessaryCore/InstanceForwarding.h"

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One resident Tessary per user session. A second launch hands its request to the running
// one over a user-only local socket and exits, so desktop shortcuts can trigger captures.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The wire format and the client live in TessaryCore, shared with the launcher.
    using Request = tessary::InstanceRequest;
    static QString socketPath();

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;
    // Starts listening; false (and logged) when the socket cannot be created.
    bool listen(const QString& path = socketPath());

Q_SIGNALS:
    void requestReceived(SingleInstance::Request request);

private:
    std::unique_ptr<QLocalServer> m_server;
};
