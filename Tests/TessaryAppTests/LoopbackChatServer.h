#pragma once

// A chat-completions server on 127.0.0.1 for engine tests. It speaks plain HTTP/1.1, one request
// per connection, and answers each request with the next scripted response, including faults
// (reset connections, silence, oversized bodies).

#include <QByteArray>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/socket.h>

class LoopbackChatServer {
public:
    struct Response {
        enum class Kind { reply, reset, silence, oversizedStream, oversizedDeclared, plainToTls };
        Kind kind = Kind::reply;
        int status = 200;
        QByteArray body;
    };

    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    static Response reply(int status, QByteArray body) {
        return {Response::Kind::reply, status, std::move(body)};
    }
    static Response fault(Response::Kind kind) { return {kind, 0, {}}; }

    // A 200 reply whose message content is `content`.
    static Response chat(const QString& content) {
        const QJsonObject message{{"role", "assistant"}, {"content", content}};
        const QJsonObject choice{{"index", 0}, {"message", message}, {"finish_reason", "stop"}};
        const QJsonObject body{
            {"id", "chatcmpl-test"}, {"object", "chat.completion"}, {"choices", QJsonArray{choice}}};
        return reply(200, QJsonDocument(body).toJson(QJsonDocument::Compact));
    }

    LoopbackChatServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                auto* buffer = new QByteArray;
                QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    *buffer += socket->readAll();
                    if (!script_.isEmpty() && script_.front().kind == Response::Kind::plainToTls) {
                        // A TLS client hello answered in plain HTTP: the handshake fails.
                        script_.removeFirst();
                        requests_.append(Request{});
                        socket->write("HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n");
                        socket->disconnectFromHost();
                        return;
                    }
                    serve(socket, *buffer);
                });
            }
        });
    }

    bool isListening() const { return server_.isListening(); }
    QString baseURL() const { return QStringLiteral("http://127.0.0.1:%1/v1").arg(server_.serverPort()); }
    QString tlsBaseURL() const { return QStringLiteral("https://127.0.0.1:%1/v1").arg(server_.serverPort()); }
    void script(QList<Response> responses) { script_ = std::move(responses); }
    const QList<Request>& requests() const { return requests_; }

private:
    void serve(QTcpSocket* socket, QByteArray& buffer) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            return;
        }
        Request request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> start = lines.value(0).trimmed().split(' ');
        request.method = start.value(0);
        request.path = start.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0) {
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
            }
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < headerEnd + 4 + length) {
            return;
        }
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.clear();
        requests_.append(request);
        const Response response = script_.isEmpty() ? reply(500, "unscripted request") : script_.takeFirst();
        switch (response.kind) {
        case Response::Kind::reply:
            socket->write("HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n" +
                          "Content-Type: application/json\r\nContent-Length: " +
                          QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n" +
                          response.body);
            socket->disconnectFromHost();
            break;
        case Response::Kind::reset: {
            // Linger 0: closing sends RST instead of FIN.
            const linger hard{1, 0};
            ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                         sizeof hard);
            socket->abort();
            break;
        }
        case Response::Kind::silence:
        case Response::Kind::plainToTls:
            break;
        case Response::Kind::oversizedStream:
            // No length: the body runs until the connection closes.
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n");
            socket->write(QByteArray(3 * 1024 * 1024, ' '));
            socket->disconnectFromHost();
            break;
        case Response::Kind::oversizedDeclared:
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 3145728\r\n"
                          "Connection: close\r\n\r\n");
            socket->write(QByteArray(64 * 1024, ' '));
            break;
        }
    }

    QTcpServer server_;
    QList<Response> script_;
    QList<Request> requests_;
};
