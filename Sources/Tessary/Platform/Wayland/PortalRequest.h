#pragma once

#include <QCoroTask>
#include <QObject>
#include <QVariantMap>

#include <optional>

class QDBusMessage;
class QEventLoop;

// One call on the desktop portal that answers through a Request object's `Response` signal.
// The handle token is ours, so the request's object path is known and subscribed to before the
// call goes out: an answer can never arrive unseen. Waits in a local event loop that leaves user
// input queued, so nothing the user does re-enters the caller meanwhile.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    enum class Outcome { answered, cancelled, denied, missing, timedOut, failed };

    struct Answer {
        Outcome outcome = Outcome::failed;
        QVariantMap results;
        // The bus's error for `missing` and `failed`.
        QString error;
    };

    static constexpr const char* service = "org.freedesktop.portal.Desktop";
    static constexpr const char* path = "/org/freedesktop/portal/desktop";

    // `call` is the method call without its options; `handle_token` is added to `options`, which are
    // its last argument. Gives up after `timeoutMs` without an answer.
    static Answer run(QDBusMessage call, QVariantMap options, int timeoutMs);
    // The same without a nested event loop, for flows of several requests that must not block.
    static QCoro::Task<Answer> ask(QDBusMessage call, QVariantMap options, int timeoutMs);

    // Whether the portal offers `interface` now (the portal is started on demand by the bus).
    static bool offers(const QString& interface, int timeoutMs);

Q_SIGNALS:
    void answered();

private:
    PortalRequest() = default;
    Q_SLOT void onResponse(uint response, const QVariantMap& results);

    std::optional<Answer> m_answer;
    QEventLoop* m_loop = nullptr;
};
