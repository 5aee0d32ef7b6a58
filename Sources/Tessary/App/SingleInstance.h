#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QLocalServer;

// One resident Tessary per user session. A second launch hands its request to the running
// one over a user-only local socket and exits, so desktop shortcuts can trigger captures.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Request { activate, captureNow };
    Q_ENUM(Request)

    // Messages are one short line; anything longer or unknown is dropped.
    static constexpr int maxMessageBytes = 64;
    static QString socketPath();
    static QByteArray encode(Request request);
    static std::optional<Request> decode(const QByteArray& message);

    // Client side, before any Qt application object exists: true when a running instance took the request.
    static bool forward(Request request, const QString& path = socketPath());

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;
    // Starts listening; false (and logged) when the socket cannot be created.
    bool listen(const QString& path = socketPath());

Q_SIGNALS:
    void requestReceived(SingleInstance::Request request);

private:
    std::unique_ptr<QLocalServer> m_server;
};
