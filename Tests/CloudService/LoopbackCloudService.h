#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QTcpServer>

#include <optional>

class QTcpSocket;

// The cloud translation service for tests, on 127.0.0.1: e-mail accounts with salted PBKDF2
// password hashes, bearer tokens, a daily quota per account with its reset time, the share-cache
// consent, and translation through a shared cache whose hits are counted in the stats. Faults can
// be queued for the next requests to exercise every way a real service or network fails.
class LoopbackCloudService : public QObject {
    Q_OBJECT
public:
    enum class Fault {
        reset,          // the connection is dropped once the request is read
        silence,        // the request is read and never answered
        expireTokens,   // every issued token expires before the request is handled
        quotaExhausted, // 429 with a JSON error body, whatever the quota says
        badGatewayHtml, // 502 with an HTML body
        malformedDate,  // resetAt is not a date
        missingId,      // the last translated item is left out
        repeatedId,     // the last translated item carries the id of the first
        itemWithoutId,  // one translated item has no id
        oversizedBody,  // a success body of 6 MiB
        notHttp,        // a line that is not HTTP, then the connection closes
    };

    struct Request {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    explicit LoopbackCloudService(quint16 port = 0, QObject* parent = nullptr);

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    QString origin() const;

    // Applied to the next `count` requests, in the order queued.
    void injectFault(Fault fault, int count = 1);
    void setDailyLimit(int limit) { m_dailyLimit = limit; }
    void setUnlimited(const QString& email, bool unlimited);
    // The "upstream translator": the first phrase a text contains picks its translation; a text
    // with none comes back tagged with the target.
    void setTranslations(QList<QPair<QString, QString>> table) { m_translations = std::move(table); }
    // Dates go out with milliseconds unless turned off.
    void setFractionalDates(bool fractional) { m_fractionalDates = fractional; }
    // Creates an account as registration would.
    void addAccount(const QString& email, const QString& password, bool shareCache = true);

    const QList<Request>& requests() const { return m_requests; }
    // Requests that reached the API (not the ones a fault dropped).
    int handledCount() const { return m_handled; }
    // How many texts the "upstream translator" was asked for.
    int upstreamCount() const { return m_upstream; }
    int quotaUsed(const QString& email) const;
    bool hasLiveToken(const QString& token) const;
    // What the service knows of the devices that logged in, by device id.
    QList<QJsonObject> devices() const { return m_devices; }

    static constexpr const char* apiRoot = "/api/v1/m/tessary";

Q_SIGNALS:
    // A request the API answered, with the answer.
    void answered(const LoopbackCloudService::Request& request, int status, const QByteArray& body);

private:
    struct Account {
        QString id;
        QByteArray salt;
        QByteArray hash;
        bool shareCache = true;
        bool unlimited = false;
        int used = 0;
        QDate day;
    };
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
    };

    void readFrom(QTcpSocket* socket);
    void dispatch(QTcpSocket* socket, const Request& request);
    Reply handle(const Request& request, std::optional<Fault> fault);
    Reply authenticate(const QJsonObject& body, bool registering, std::optional<Fault> fault);
    Reply translate(Account& account, const QJsonObject& body, std::optional<Fault> fault);
    QString accountFor(const Request& request) const;
    QJsonObject quotaOf(Account& account, std::optional<Fault> fault);
    QString date(const QDateTime& time) const;
    static QByteArray hashed(const QString& password, const QByteArray& salt);
    QString upstreamTranslation(const QString& text, const QString& target) const;
    static Reply error(int status, const char* code, const QString& message);

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<Fault> m_faults;
    QList<Request> m_requests;
    QHash<QString, Account> m_accounts;   // by e-mail
    QHash<QString, QString> m_tokens;     // token → e-mail
    QMap<QString, QString> m_sharedCache; // target + U+0001 + text → translation
    QList<QJsonObject> m_devices;
    QList<QPair<QString, QString>> m_translations;
    int m_dailyLimit = 50;
    bool m_fractionalDates = true;
    int m_handled = 0;
    int m_upstream = 0;
};
