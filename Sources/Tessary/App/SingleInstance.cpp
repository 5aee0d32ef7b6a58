#include "App/SingleInstance.h"

#include "App/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

QString SingleInstance::socketPath() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) {
        runtime = QDir::tempPath() + QStringLiteral("/tessary-") + QString::number(::getuid());
    }
    return runtime + QStringLiteral("/tessary/instance.sock");
}

QByteArray SingleInstance::encode(Request request) {
    return request == Request::captureNow ? QByteArrayLiteral("capture-now\n")
                                          : QByteArrayLiteral("activate\n");
}

std::optional<SingleInstance::Request> SingleInstance::decode(const QByteArray& message) {
    if (message == "capture-now\n") {
        return Request::captureNow;
    }
    if (message == "activate\n") {
        return Request::activate;
    }
    return std::nullopt;
}

bool SingleInstance::forward(Request request, const QString& path) {
    // Plain sockets: this runs before the application object exists, which keeps a
    // forwarded capture well under the time a full Qt start-up takes.
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    if (native.size() >= static_cast<int>(sizeof(address.sun_path))) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool delivered = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        const QByteArray message = encode(request);
        delivered = ::send(fd, message.constData(), static_cast<size_t>(message.size()), MSG_NOSIGNAL) ==
                    message.size();
        if (delivered) {
            // The server answers "ok" once it has taken the request; a hung server must not hang us.
            pollfd waitFor{fd, POLLIN, 0};
            char reply[4] = {};
            delivered = ::poll(&waitFor, 1, 2000) == 1 && ::recv(fd, reply, sizeof(reply), 0) >= 2 &&
                        std::memcmp(reply, "ok", 2) == 0;
        }
    }
    ::close(fd);
    return delivered;
}

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listen(const QString& path) {
    const QString directory = QFileInfo(path).absolutePath();
    QDir().mkpath(directory);
    ::chmod(QFile::encodeName(directory).constData(), S_IRWXU);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        // A stale socket from a crashed instance: nobody answered our forward, so it is safe to replace.
        QLocalServer::removeServer(path);
        if (!m_server->listen(path)) {
            Log::error(QStringLiteral("单实例套接字创建失败：") + m_server->errorString());
            m_server.reset();
            return false;
        }
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            QPointer<QLocalSocket> guard(socket);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QTimer::singleShot(2000, socket, [guard] {
                if (guard) {
                    guard->abort();
                }
            });
            connect(socket, &QLocalSocket::readyRead, this, [this, guard] {
                if (!guard) {
                    return;
                }
                if (guard->bytesAvailable() > maxMessageBytes) {
                    guard->abort();
                    return;
                }
                if (!guard->canReadLine()) {
                    return;
                }
                const auto request = decode(guard->readLine(maxMessageBytes + 1));
                if (!request) {
                    guard->abort();
                    return;
                }
                guard->write("ok");
                guard->flush();
                guard->disconnectFromServer();
                Q_EMIT requestReceived(*request);
            });
        }
    });
    return true;
}
