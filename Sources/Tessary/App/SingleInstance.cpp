#include "App/SingleInstance.h"

#include "Foundation/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <sys/stat.h>

QString SingleInstance::socketPath() {
    return QFile::decodeName(tessary::InstanceForwarding::socketPath().c_str());
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
                constexpr auto maxBytes = static_cast<qint64>(tessary::InstanceForwarding::maxMessageBytes);
                if (guard->bytesAvailable() > maxBytes) {
                    guard->abort();
                    return;
                }
                if (!guard->canReadLine()) {
                    return;
                }
                const auto request =
                    tessary::InstanceForwarding::decode(guard->readLine(maxBytes + 1).toStdString());
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
