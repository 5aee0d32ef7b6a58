// A desktop portal that offers org.freedesktop.portal.Screenshot and turns every request down the
// way a desktop does: `deny` answers with response 2 (refused), `silent` never answers.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QVariantMap>

#include <cstdio>

namespace {

class Portal : public QDBusVirtualObject {
public:
    explicit Portal(bool deny) : m_deny(deny) {}

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.freedesktop.portal.Screenshot\">"
            "<method name=\"Screenshot\"><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"a{sv}\" direction=\"in\"/><arg type=\"o\" direction=\"out\"/></method>"
            "<property name=\"version\" type=\"u\" access=\"read\"/></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            if (message.arguments().value(0).toString() !=
                QLatin1String("org.freedesktop.portal.Screenshot")) {
                connection.send(
                    message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
                                             QStringLiteral("only Screenshot here")));
                return true;
            }
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(2u))));
            return true;
        }
        if (message.member() != QLatin1String("Screenshot")) {
            return false;
        }
        const QVariantMap options =
            qdbus_cast<QVariantMap>(message.arguments().value(1).value<QDBusArgument>());
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                               QLatin1Char('/') + options.value(QStringLiteral("handle_token")).toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
        std::printf("screenshot requested: %s\n", qPrintable(handle));
        std::fflush(stdout);
        if (m_deny) {
            QDBusMessage response = QDBusMessage::createSignal(
                handle, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            response.setArguments({2u, QVariantMap()});
            connection.send(response);
        }
        return true;
    }

private:
    bool m_deny;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool deny = app.arguments().value(1) == QLatin1String("deny");
    Portal portal(deny);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "cannot own the portal name\n");
        return 1;
    }
    return app.exec();
}
