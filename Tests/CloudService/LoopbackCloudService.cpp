#include "LoopbackCloudService.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimeZone>

namespace {

QByteArray randomHex(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(raw.data()), bytes / 4);
    return raw.toHex();
}

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 409:
        return "Conflict";
    case 429:
        return "Too Many Requests";
    case 502:
        return "Bad Gateway";
    default:
        return "Status";
    }
}

} // namespace

LoopbackCloudService::LoopbackCloudService(quint16 port, QObject* parent) : QObject(parent) {
    m_server.listen(QHostAddress::LocalHost, port);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

QString LoopbackCloudService::origin() const {
    return QStringLiteral("http://127.0.0.1:") + QString::number(port());
}

void LoopbackCloudService::injectFault(Fault fault, int count) {
    for (int i = 0; i < count; ++i) {
        m_faults.append(fault);
    }
}

void LoopbackCloudService::setUnlimited(const QString& email, bool unlimited) {
    m_accounts[email].unlimited = unlimited;
}

void LoopbackCloudService::addAccount(const QString& email, const QString& password, bool shareCache) {
    Account account;
    account.id = QString::fromLatin1(randomHex(8));
    account.salt = randomHex(16);
    account.hash = hashed(password, account.salt);
    account.shareCache = shareCache;
    m_accounts.insert(email, account);
}

int LoopbackCloudService::quotaUsed(const QString& email) const {
    return m_accounts.value(email).used;
}

bool LoopbackCloudService::hasLiveToken(const QString& token) const {
    return m_tokens.contains(token);
}

QByteArray LoopbackCloudService::hashed(const QString& password, const QByteArray& salt) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, 2000, 32);
}

void LoopbackCloudService::readFrom(QTcpSocket* socket) {
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        return;
    }
    Request request;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
        }
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() < end + 4 + length) {
        return;
    }
    request.body = buffer.mid(end + 4, length);
    buffer.clear();
    m_requests.append(request);
    dispatch(socket, request);
}

void LoopbackCloudService::dispatch(QTcpSocket* socket, const Request& request) {
    const std::optional<Fault> fault =
        m_faults.isEmpty() ? std::nullopt : std::optional<Fault>(m_faults.takeFirst());
    if (fault == Fault::reset) {
        socket->abort();
        return;
    }
    if (fault == Fault::silence) {
        return;
    }
    if (fault == Fault::notHttp) {
        socket->write("HELLO THERE\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    ++m_handled;
    const Reply reply = handle(request, fault);
    QByteArray response =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) + "\r\n";
    response += "Content-Type: " + reply.contentType +
                "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                "\r\nConnection: close\r\n\r\n";
    socket->write(response + reply.body);
    socket->disconnectFromHost();
    Q_EMIT answered(request, reply.status, reply.body);
}

LoopbackCloudService::Reply LoopbackCloudService::error(int status, const char* code,
                                                        const QString& message) {
    const QJsonObject body{{QStringLiteral("code"), QString::fromLatin1(code)},
                           {QStringLiteral("message"), message}};
    return {status, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

QString LoopbackCloudService::accountFor(const Request& request) const {
    const QByteArray authorization = request.headers.value("authorization");
    if (!authorization.startsWith("Bearer ")) {
        return {};
    }
    return m_tokens.value(QString::fromLatin1(authorization.mid(7)));
}

LoopbackCloudService::Reply LoopbackCloudService::handle(const Request& request, std::optional<Fault> fault) {
    if (fault == Fault::badGatewayHtml) {
        return {502, "<html><head><title>502 Bad Gateway</title></head><body>nginx</body></html>",
                "text/html"};
    }
    if (fault == Fault::expireTokens) {
        m_tokens.clear();
    }
    if (request.headers.value("content-type") != "application/json") {
        return error(400, "bad_request", QStringLiteral("需要 JSON 请求体"));
    }
    const QByteArray root = apiRoot;
    if (!request.path.startsWith(root)) {
        return error(404, "not_found", QStringLiteral("没有这个接口"));
    }
    const QByteArray path = request.path.mid(root.size());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
    const QJsonObject body = document.object();
    if (!request.body.isEmpty() && (parseError.error != QJsonParseError::NoError || !document.isObject())) {
        return error(400, "bad_request", QStringLiteral("请求体不是 JSON 对象"));
    }
    if (request.method == "POST" && (path == "/auth/email/register" || path == "/auth/email/login")) {
        return authenticate(body, path == "/auth/email/register", fault);
    }
    const QString email = accountFor(request);
    if (email.isEmpty() || !m_accounts.contains(email)) {
        return error(401, "token_expired", QStringLiteral("登录已过期，请重新登录"));
    }
    Account& account = m_accounts[email];
    if (request.method == "POST" && path == "/auth/logout") {
        m_tokens.remove(QString::fromLatin1(request.headers.value("authorization").mid(7)));
        return {200, "{}"};
    }
    if (request.method == "PATCH" && path == "/me/settings") {
        if (!body.value(QStringLiteral("shareCache")).isBool()) {
            return error(400, "bad_request", QStringLiteral("shareCache 必须是布尔值"));
        }
        account.shareCache = body.value(QStringLiteral("shareCache")).toBool();
        return {200, "{}"};
    }
    if (request.method == "POST" && path == "/translate") {
        return translate(account, body, fault);
    }
    return error(404, "not_found", QStringLiteral("没有这个接口"));
}

QString LoopbackCloudService::date(const QDateTime& time) const {
    return time.toUTC().toString(m_fractionalDates ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")
                                                   : QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

QJsonObject LoopbackCloudService::quotaOf(Account& account, std::optional<Fault> fault) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (account.day != now.date()) {
        account.day = now.date();
        account.used = 0;
    }
    const QDateTime reset(now.date().addDays(1), QTime(0, 0), QTimeZone::utc());
    QJsonObject quota{{QStringLiteral("used"), account.used},
                      {QStringLiteral("limit"), m_dailyLimit},
                      {QStringLiteral("resetAt"),
                       fault == Fault::malformedDate ? QStringLiteral("明天零点") : date(reset)}};
    if (account.unlimited) {
        quota.insert(QStringLiteral("unlimited"), true);
    }
    return quota;
}

LoopbackCloudService::Reply LoopbackCloudService::authenticate(const QJsonObject& body, bool registering,
                                                               std::optional<Fault> fault) {
    const QString email = body.value(QStringLiteral("email")).toString().trimmed().toLower();
    const QString password = body.value(QStringLiteral("password")).toString();
    static const QRegularExpression emailShape(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    for (const char* member : {"deviceId", "platform", "deviceName", "appVersion", "osVersion"}) {
        if (!body.value(QLatin1String(member)).isString()) {
            return error(400, "bad_request", QStringLiteral("缺少 ") + QLatin1String(member));
        }
    }
    if (!emailShape.match(email).hasMatch()) {
        return error(400, "bad_email", QStringLiteral("邮箱格式不对"));
    }
    if (registering) {
        if (m_accounts.contains(email)) {
            return error(409, "email_taken", QStringLiteral("这个邮箱已经注册过了"));
        }
        if (password.size() < 8) {
            return error(400, "weak_password", QStringLiteral("密码至少 8 位"));
        }
        addAccount(email, password);
    } else {
        const auto found = m_accounts.constFind(email);
        if (found == m_accounts.constEnd() || hashed(password, found->salt) != found->hash) {
            return error(401, "invalid_credentials", QStringLiteral("邮箱或密码不对"));
        }
    }
    m_devices.append(body);
    m_devices.last().remove(QStringLiteral("password"));
    const QString token = QString::fromLatin1(randomHex(32));
    m_tokens.insert(token, email);
    Account& account = m_accounts[email];
    const QJsonObject user{{QStringLiteral("id"), account.id},
                           {QStringLiteral("email"), email},
                           {QStringLiteral("shareCache"), account.shareCache}};
    const QJsonObject reply{{QStringLiteral("token"), token},
                            {QStringLiteral("user"), user},
                            {QStringLiteral("quota"), quotaOf(account, fault)}};
    return {200, QJsonDocument(reply).toJson(QJsonDocument::Compact)};
}

QString LoopbackCloudService::upstreamTranslation(const QString& text, const QString& target) const {
    static const QRegularExpression nothingToTranslate(QStringLiteral("^[\\d\\s\\p{P}\\p{S}]*$"));
    if (nothingToTranslate.match(text).hasMatch()) {
        return {};
    }
    for (const auto& [phrase, translation] : m_translations) {
        if (text.contains(phrase)) {
            return translation;
        }
    }
    return QLatin1Char('[') + target + QStringLiteral("] ") + text;
}

LoopbackCloudService::Reply LoopbackCloudService::translate(Account& account, const QJsonObject& body,
                                                            std::optional<Fault> fault) {
    QElapsedTimer total;
    total.start();
    const QString target = body.value(QStringLiteral("target")).toString();
    const QJsonValue items = body.value(QStringLiteral("items"));
    if (target.isEmpty() || !items.isArray() || !body.value(QStringLiteral("bypassCache")).isBool() ||
        body.value(QStringLiteral("requestId")).toString().isEmpty()) {
        return error(400, "bad_request", QStringLiteral("翻译请求缺少字段"));
    }
    const QJsonArray sources = items.toArray();
    QJsonObject quota = quotaOf(account, fault);
    if (fault == Fault::quotaExhausted ||
        (!account.unlimited && account.used + sources.size() > m_dailyLimit)) {
        return error(429, "quota_exhausted", QStringLiteral("今日额度已用完，明天零点恢复。"));
    }
    const bool useCache = account.shareCache && !body.value(QStringLiteral("bypassCache")).toBool();
    QJsonArray translated;
    int hits = 0;
    int upstream = 0;
    QElapsedTimer upstreamTime;
    upstreamTime.start();
    for (const QJsonValue& item : sources) {
        const QJsonObject source = item.toObject();
        const QString text = source.value(QStringLiteral("text")).toString();
        const QString key = target + QChar(1) + text;
        QString output;
        if (useCache && m_sharedCache.contains(key)) {
            output = m_sharedCache.value(key);
            ++hits;
        } else {
            output = upstreamTranslation(text, target);
            ++upstream;
            ++m_upstream;
            if (account.shareCache) {
                m_sharedCache.insert(key, output);
            }
        }
        translated.append(QJsonObject{{QStringLiteral("id"), source.value(QStringLiteral("id"))},
                                      {QStringLiteral("text"), output}});
    }
    if (!translated.isEmpty() && fault == Fault::missingId) {
        translated.removeLast();
    } else if (translated.size() > 1 && fault == Fault::repeatedId) {
        QJsonObject last = translated.last().toObject();
        last.insert(QStringLiteral("id"), translated.first().toObject().value(QStringLiteral("id")));
        translated.replace(translated.size() - 1, last);
    } else if (!translated.isEmpty() && fault == Fault::itemWithoutId) {
        QJsonObject first = translated.first().toObject();
        first.remove(QStringLiteral("id"));
        translated.replace(0, first);
    }
    account.used += static_cast<int>(sources.size());
    quota.insert(QStringLiteral("used"), account.used);
    const QJsonObject stats{{QStringLiteral("blocks"), sources.size()},
                            {QStringLiteral("cacheHit"), hits},
                            {QStringLiteral("upstream"), upstream},
                            {QStringLiteral("upstreamMs"), upstreamTime.elapsed()},
                            {QStringLiteral("totalMs"), total.elapsed()}};
    QByteArray reply = QJsonDocument(QJsonObject{{QStringLiteral("items"), translated},
                                                 {QStringLiteral("stats"), stats},
                                                 {QStringLiteral("quota"), quota}})
                           .toJson(QJsonDocument::Compact);
    if (fault == Fault::oversizedBody) {
        // Still valid JSON: a padding member the client must refuse by size, not by shape.
        reply.chop(1);
        reply += ",\"padding\":\"" + QByteArray(6 * 1024 * 1024, 'x') + "\"}";
    }
    return {200, reply};
}
