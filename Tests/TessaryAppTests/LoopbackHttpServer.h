#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

// A small HTTP/1.1 server on 127.0.0.1 for tests: one canned answer per path, written by hand so
// that tests can also send what a well-behaved server would not (lying lengths, endless bodies).
class LoopbackHttpServer : public QObject {
public:
    struct Reply {
        Reply(int status = 200, QByteArray body = {}, QList<std::pair<QByteArray, QByteArray>> headers = {})
            : status(status), body(std::move(body)), headers(std::move(headers)) {}
        int status = 200;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
        // Chunked, without a length, 32 KiB every 5 ms until the peer hangs up or 64 MiB went out.
        bool endless = false;
    };

    struct Request {
        QByteArray path;
        QByteArray head;
    };

    LoopbackHttpServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }

    QByteArray url(const QByteArray& path) const {
        return "http://127.0.0.1:" + QByteArray::number(m_server.serverPort()) + path;
    }
    void route(const QByteArray& path, Reply reply) { m_routes.insert(path, std::move(reply)); }
    const QList<Request>& requests() const { return m_requests; }
    // Bytes of endless bodies written before the client hung up.
    qint64 endlessBytesSent() const { return m_endlessBytes; }

private:
    void serve(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        const QByteArray head = buffer.left(end);
        buffer.clear();
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QByteArray path = requestLine.size() >= 2 ? requestLine[1] : QByteArray("/");
        m_requests.append({path, head});
        const Reply reply = m_routes.value(path, Reply(404, "not found"));

        QByteArray response = "HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nConnection: close\r\n";
        bool hasLength = false;
        for (const auto& [name, value] : reply.headers) {
            response += name + ": " + value + "\r\n";
            hasLength = hasLength || name.compare("Content-Length", Qt::CaseInsensitive) == 0;
        }
        if (reply.endless) {
            socket->write(response + "Content-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n");
            streamEndlessly(socket);
            return;
        }
        if (!hasLength) {
            response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        }
        socket->write(response + "Content-Type: application/json\r\n\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    void streamEndlessly(QTcpSocket* socket) {
        auto* timer = new QTimer(socket);
        QPointer<QTcpSocket> guarded(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [this, guarded, timer] {
            if (!guarded || guarded->state() != QAbstractSocket::ConnectedState ||
                m_endlessBytes > (64 << 20)) {
                timer->stop();
                return;
            }
            const QByteArray chunk(32 * 1024, ' ');
            guarded->write(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
            m_endlessBytes += chunk.size();
        });
        timer->start(5);
    }

    QTcpServer m_server;
    QHash<QByteArray, Reply> m_routes;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<Request> m_requests;
    qint64 m_endlessBytes = 0;
};
