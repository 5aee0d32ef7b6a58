#include "Platform/Wayland/PortalRequest.h"

#include <QCoroDBusPendingCall>
#include <QCoroSignal>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTimer>

namespace {

const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// The path the portal gives the request: derived from our unique bus name and the token.
QString requestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/') + token;
}

bool isMissing(const QString& error) {
    return error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
           error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

} // namespace

void PortalRequest::onResponse(uint response, const QVariantMap& results) {
    // 0 granted and done, 1 cancelled by the user, anything else ended another way (the desktop
    // or the permission store refused).
    Answer answer;
    answer.outcome = response == 0 ? Outcome::answered : response == 1 ? Outcome::cancelled : Outcome::denied;
    answer.results = results;
    m_answer = answer;
    if (m_loop) {
        m_loop->quit();
    }
    Q_EMIT answered();
}

PortalRequest::Answer PortalRequest::run(QDBusMessage call, QVariantMap options, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return {Outcome::missing, {}, QStringLiteral("no session bus")};
    }
    const QString token =
        QStringLiteral("tessary%1").arg(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 0, 16);
    const QString path = requestPath(bus, token);
    PortalRequest request;
    if (!bus.connect(QString::fromLatin1(service), path, kRequestInterface, QStringLiteral("Response"),
                     &request, SLOT(onResponse(uint, QVariantMap)))) {
        return {Outcome::failed, {}, QStringLiteral("cannot subscribe to ") + path};
    }
    const auto unsubscribe = qScopeGuard([&] {
        bus.disconnect(QString::fromLatin1(service), path, kRequestInterface, QStringLiteral("Response"),
                       &request, SLOT(onResponse(uint, QVariantMap)));
    });
    options.insert(QStringLiteral("handle_token"), token);
    QList<QVariant> arguments = call.arguments();
    arguments.append(options);
    call.setArguments(arguments);

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return {isMissing(reply.errorName()) ? Outcome::missing : Outcome::failed,
                {},
                reply.errorName() + QStringLiteral(": ") + reply.errorMessage()};
    }
    // Older portals ignore the token and name another path; that one is followed too.
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != path) {
        bus.connect(QString::fromLatin1(service), handle, kRequestInterface, QStringLiteral("Response"),
                    &request, SLOT(onResponse(uint, QVariantMap)));
    }
    request.m_loop = &loop;
    if (!request.m_answer) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    request.m_loop = nullptr;
    if (!handle.isEmpty() && handle != path) {
        bus.disconnect(QString::fromLatin1(service), handle, kRequestInterface, QStringLiteral("Response"),
                       &request, SLOT(onResponse(uint, QVariantMap)));
    }
    if (!request.m_answer) {
        // Withdraw the request so a late dialog does not linger.
        if (!handle.isEmpty()) {
            bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(service), handle, kRequestInterface,
                                                    QStringLiteral("Close")),
                     QDBus::NoBlock);
        }
        return {Outcome::timedOut, {}, {}};
    }
    return *request.m_answer;
}

QCoro::Task<PortalRequest::Answer> PortalRequest::ask(QDBusMessage call, QVariantMap options, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        co_return Answer{Outcome::missing, {}, QStringLiteral("no session bus")};
    }
    QElapsedTimer elapsed;
    elapsed.start();
    const QString token =
        QStringLiteral("tessary%1").arg(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 0, 16);
    const QString path = requestPath(bus, token);
    PortalRequest request;
    if (!bus.connect(QString::fromLatin1(service), path, kRequestInterface, QStringLiteral("Response"),
                     &request, SLOT(onResponse(uint, QVariantMap)))) {
        co_return Answer{Outcome::failed, {}, QStringLiteral("cannot subscribe to ") + path};
    }
    QString handle;
    const auto unsubscribe = qScopeGuard([&] {
        bus.disconnect(QString::fromLatin1(service), path, kRequestInterface, QStringLiteral("Response"),
                       &request, SLOT(onResponse(uint, QVariantMap)));
        if (!handle.isEmpty() && handle != path) {
            bus.disconnect(QString::fromLatin1(service), handle, kRequestInterface,
                           QStringLiteral("Response"), &request, SLOT(onResponse(uint, QVariantMap)));
        }
    });
    options.insert(QStringLiteral("handle_token"), token);
    QList<QVariant> arguments = call.arguments();
    arguments.append(options);
    call.setArguments(arguments);

    const QDBusMessage reply = co_await bus.asyncCall(call, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        co_return Answer{isMissing(reply.errorName()) ? Outcome::missing : Outcome::failed,
                         {},
                         reply.errorName() + QStringLiteral(": ") + reply.errorMessage()};
    }
    handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != path) {
        bus.connect(QString::fromLatin1(service), handle, kRequestInterface, QStringLiteral("Response"),
                    &request, SLOT(onResponse(uint, QVariantMap)));
    }
    if (!request.m_answer) {
        const auto left = std::max<qint64>(1, timeoutMs - elapsed.elapsed());
        co_await qCoro(&request, &PortalRequest::answered, std::chrono::milliseconds(left));
    }
    if (!request.m_answer) {
        if (!handle.isEmpty()) {
            bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(service), handle, kRequestInterface,
                                                    QStringLiteral("Close")),
                     QDBus::NoBlock);
        }
        co_return Answer{Outcome::timedOut, {}, {}};
    }
    co_return *request.m_answer;
}

bool PortalRequest::offers(const QString& interface, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({interface, QStringLiteral("version")});
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}
