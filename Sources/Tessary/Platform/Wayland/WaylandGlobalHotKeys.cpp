#include "Platform/Wayland/WaylandGlobalHotKeys.h"

#include "Foundation/Log.h"
#include "Platform/Wayland/PortalRequest.h"
#include "TessaryCore/HotKeyDesktopShortcuts.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QPointer>
#include <QRandomGenerator>

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kShortcutId = QStringLiteral("capture");
// Binding may show the desktop's own dialog.
constexpr int kBindTimeoutMs = 60'000;
constexpr int kProbeTimeoutMs = 3000;

} // namespace

// One entry of the portal's a(sa{sv}) shortcut lists.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

QDBusMessage portalCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(PortalRequest::service),
                                       QString::fromLatin1(PortalRequest::path), kInterface, method);
    call.setArguments(arguments);
    return call;
}

} // namespace

WaylandGlobalHotKeys::~WaylandGlobalHotKeys() {
    closeSession();
}

bool WaylandGlobalHotKeys::portalOffered() const {
    if (!m_portal) {
        m_portal = PortalRequest::offers(kInterface, kProbeTimeoutMs);
    }
    return *m_portal;
}

bool WaylandGlobalHotKeys::registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) {
    if (!portalOffered()) {
        if (!m_reported) {
            m_reported = true;
            Log::notice(QStringLiteral("热键：Wayland 下由桌面处理 ") +
                        QString::fromStdString(combination.display()) +
                        QStringLiteral("（桌面不提供全局快捷键门户）；请在桌面设置里把 tessary --capture-now "
                                       "绑定为快捷键。"));
        }
        return false;
    }
    if (m_id && *m_id != id) {
        return false;
    }
    if (!tessary::HotKeyDesktopShortcuts::portalTrigger(combination)) {
        return false;
    }
    closeSession();
    m_id = id;
    ++m_generation;
    bind(combination);
    return true;
}

void WaylandGlobalHotKeys::unregisterHotKey(quint32 id) {
    if (m_id == id) {
        m_id.reset();
        ++m_generation;
        closeSession();
    }
}

QCoro::Task<> WaylandGlobalHotKeys::bind(tessary::HotKeyCombination combination) {
    static const bool registered = [] {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        return true;
    }();
    Q_UNUSED(registered);
    QPointer<WaylandGlobalHotKeys> self(this);
    const quint64 generation = m_generation;
    const QString trigger =
        QString::fromStdString(*tessary::HotKeyDesktopShortcuts::portalTrigger(combination));

    QVariantMap create;
    create.insert(QStringLiteral("session_handle_token"),
                  QStringLiteral("tessary%1").arg(QRandomGenerator::global()->generate() & 0xffffff, 0, 16));
    const QDBusMessage createCall = portalCall(QStringLiteral("CreateSession"), {});
    PortalRequest::Answer answer = co_await PortalRequest::ask(createCall, create, kBindTimeoutMs);
    if (!self || generation != m_generation) {
        co_return;
    }
    if (answer.outcome != PortalRequest::Outcome::answered) {
        Log::error(QStringLiteral("热键：全局快捷键门户建立会话失败（") + answer.error +
                   QStringLiteral("）。"));
        co_return;
    }
    const QVariant handle = answer.results.value(QStringLiteral("session_handle"));
    m_sessionHandle =
        handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
    QDBusConnection::sessionBus().connect(
        QString::fromLatin1(PortalRequest::service), QString::fromLatin1(PortalRequest::path), kInterface,
        QStringLiteral("Activated"), this,
        SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));

    PortalShortcut shortcut;
    shortcut.id = kShortcutId;
    shortcut.properties.insert(QStringLiteral("description"), QStringLiteral("Capture the screen"));
    shortcut.properties.insert(QStringLiteral("preferred_trigger"), trigger);
    const QDBusMessage bindCall = portalCall(
        QStringLiteral("BindShortcuts"), {QVariant::fromValue(QDBusObjectPath(m_sessionHandle)),
                                          QVariant::fromValue(QList<PortalShortcut>{shortcut}), QString()});
    answer = co_await PortalRequest::ask(bindCall, QVariantMap(), kBindTimeoutMs);
    if (!self || generation != m_generation) {
        co_return;
    }
    const auto bound = qdbus_cast<QList<PortalShortcut>>(answer.results.value(QStringLiteral("shortcuts")));
    const auto ours =
        std::find_if(bound.begin(), bound.end(), [](const PortalShortcut& s) { return s.id == kShortcutId; });
    if (answer.outcome != PortalRequest::Outcome::answered || ours == bound.end()) {
        // The desktop (or the user in its dialog) did not bind it: a conflict as the desktop sees it.
        Log::error(QStringLiteral("热键：桌面没有绑定 ") + trigger + QStringLiteral("（") +
                   (answer.error.isEmpty() ? QStringLiteral("被拒绝或已被占用") : answer.error) +
                   QStringLiteral("）；可在桌面设置里把 tessary --capture-now 绑定为快捷键。"));
        co_return;
    }
    Log::info(QStringLiteral("热键：已通过全局快捷键门户绑定 ") + trigger + QStringLiteral("，桌面显示为 ") +
              ours->properties.value(QStringLiteral("trigger_description")).toString() +
              QStringLiteral("。"));
}

void WaylandGlobalHotKeys::onActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong,
                                       const QVariantMap&) {
    if (m_id && session.path() == m_sessionHandle && shortcut == kShortcutId) {
        Q_EMIT pressed(*m_id);
    }
}

void WaylandGlobalHotKeys::closeSession() {
    if (m_sessionHandle.isEmpty()) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.disconnect(QString::fromLatin1(PortalRequest::service), QString::fromLatin1(PortalRequest::path),
                   kInterface, QStringLiteral("Activated"), this,
                   SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(PortalRequest::service), m_sessionHandle,
                                            QStringLiteral("org.freedesktop.portal.Session"),
                                            QStringLiteral("Close")),
             QDBus::NoBlock);
    m_sessionHandle.clear();
}
