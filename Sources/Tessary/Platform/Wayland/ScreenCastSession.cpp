#include "Platform/Wayland/ScreenCastSession.h"

#include "Foundation/Log.h"
#include "Foundation/Setting.h"
#include "Platform/Wayland/PipeWireScreenStreams.h"
#include "Platform/Wayland/PortalRequest.h"
#include "TessaryCore/ScreenCastStreamMatch.h"

#include <QCoroDBusPendingCall>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>

#include <fcntl.h>

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
// How long each step may take; Start includes the first-time prompt.
constexpr int kStepTimeoutMs = 20'000;
constexpr uint kMonitorSources = 1;
constexpr uint kCursorHidden = 1;
constexpr uint kPersistUntilRevoked = 2;

// The desktop's permission to restore the last session without asking.
const TextSetting& restoreToken() {
    static const TextSetting setting("WaylandScreenCastRestoreToken", QString(), SettingValue::toText);
    return setting;
}

QDBusMessage portalCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(PortalRequest::service),
                                       QString::fromLatin1(PortalRequest::path), kInterface, method);
    call.setArguments(arguments);
    return call;
}

QString randomToken() {
    return QStringLiteral("tessary%1")
        .arg(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 0, 16);
}

std::optional<QPoint> pair(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>()) {
        return std::nullopt;
    }
    const QDBusArgument argument = value.value<QDBusArgument>();
    int a = 0;
    int b = 0;
    argument.beginStructure();
    argument >> a >> b;
    argument.endStructure();
    return QPoint(a, b);
}

struct Stream {
    quint32 node = 0;
    tessary::ScreenCastStreamInfo info;
};

QList<Stream> parseStreams(const QVariant& value) {
    QList<Stream> streams;
    if (!value.canConvert<QDBusArgument>()) {
        return streams;
    }
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        Stream stream;
        QVariantMap properties;
        argument.beginStructure();
        argument >> stream.node >> properties;
        argument.endStructure();
        const auto position = pair(properties.value(QStringLiteral("position")));
        const auto size = pair(properties.value(QStringLiteral("size")));
        if (position && size) {
            stream.info.logical = tessary::PixelRect{position->x(), position->y(), size->x(), size->y()};
        }
        streams.append(stream);
    }
    argument.endArray();
    return streams;
}

QString describe(const PortalRequest::Answer& answer) {
    switch (answer.outcome) {
    case PortalRequest::Outcome::answered:
        return QStringLiteral("成功");
    case PortalRequest::Outcome::cancelled:
        return QStringLiteral("用户取消");
    case PortalRequest::Outcome::denied:
        return QStringLiteral("被拒绝");
    case PortalRequest::Outcome::missing:
        return QStringLiteral("门户不可用（") + answer.error + QStringLiteral("）");
    case PortalRequest::Outcome::timedOut:
        return QStringLiteral("没有回应");
    case PortalRequest::Outcome::failed:
        return QStringLiteral("调用失败（") + answer.error + QStringLiteral("）");
    }
    return {};
}

} // namespace

ScreenCastSession::ScreenCastSession(QObject* parent) : QObject(parent) {}

ScreenCastSession::~ScreenCastSession() {
    stop();
}

bool ScreenCastSession::hasRestoreToken() {
    return !restoreToken().value().isEmpty();
}

void ScreenCastSession::setState(State state) {
    if (m_state != state) {
        m_state = state;
        Q_EMIT stateChanged();
    }
}

void ScreenCastSession::start() {
    if (m_state != State::idle) {
        return;
    }
    setState(State::starting);
    run();
}

QCoro::Task<> ScreenCastSession::run() {
    QPointer<ScreenCastSession> self(this);
    QElapsedTimer timer;
    timer.start();
    const bool restoring = hasRestoreToken();
    const auto giveUp = [&](const QString& step, const PortalRequest::Answer& answer) {
        Log::info(QStringLiteral("屏幕录制：") + step + QStringLiteral(" ") + describe(answer) +
                  QStringLiteral("，改用截图门户。"));
        // A token the desktop turned down (or refused outright as malformed) is not sent again.
        if (restoring && answer.outcome != PortalRequest::Outcome::missing &&
            answer.outcome != PortalRequest::Outcome::timedOut) {
            restoreToken().remove();
        }
        stop();
        setState(State::unavailable);
    };

    QVariantMap create;
    create.insert(QStringLiteral("session_handle_token"), randomToken());
    PortalRequest::Answer answer =
        co_await PortalRequest::ask(portalCall(QStringLiteral("CreateSession"), {}), create, kStepTimeoutMs);
    if (!self) {
        co_return;
    }
    if (answer.outcome != PortalRequest::Outcome::answered) {
        giveUp(QStringLiteral("建立会话"), answer);
        co_return;
    }
    const QVariant handle = answer.results.value(QStringLiteral("session_handle"));
    m_sessionHandle =
        handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
    QDBusConnection::sessionBus().connect(QString::fromLatin1(PortalRequest::service), m_sessionHandle,
                                          kSessionInterface, QStringLiteral("Closed"), this,
                                          SLOT(onClosed()));

    QVariantMap select;
    select.insert(QStringLiteral("types"), kMonitorSources);
    select.insert(QStringLiteral("multiple"), true);
    select.insert(QStringLiteral("cursor_mode"), kCursorHidden);
    select.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
    if (restoring) {
        select.insert(QStringLiteral("restore_token"), restoreToken().value());
    }
    const QDBusMessage selectCall =
        portalCall(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(m_sessionHandle))});
    answer = co_await PortalRequest::ask(selectCall, select, kStepTimeoutMs);
    if (!self) {
        co_return;
    }
    if (answer.outcome != PortalRequest::Outcome::answered) {
        giveUp(QStringLiteral("选择屏幕"), answer);
        co_return;
    }
    const QDBusMessage startCall = portalCall(
        QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(m_sessionHandle)), QString()});
    answer = co_await PortalRequest::ask(startCall, QVariantMap(), kStepTimeoutMs);
    if (!self) {
        co_return;
    }
    if (answer.outcome != PortalRequest::Outcome::answered) {
        giveUp(QStringLiteral("开始录制"), answer);
        co_return;
    }
    const QString token = answer.results.value(QStringLiteral("restore_token")).toString();
    if (!token.isEmpty()) {
        restoreToken().set(token);
    }
    const QList<Stream> streams = parseStreams(answer.results.value(QStringLiteral("streams")));

    const QDBusMessage remoteCall =
        portalCall(QStringLiteral("OpenPipeWireRemote"),
                   {QVariant::fromValue(QDBusObjectPath(m_sessionHandle)), QVariantMap()});
    QDBusPendingCall pendingRemote = QDBusConnection::sessionBus().asyncCall(remoteCall, kStepTimeoutMs);
    const QDBusMessage remote = co_await pendingRemote;
    if (!self) {
        co_return;
    }
    const auto fd = remote.arguments().value(0).value<QDBusUnixFileDescriptor>();
    if (remote.type() != QDBusMessage::ReplyMessage || !fd.isValid() || streams.isEmpty()) {
        PortalRequest::Answer failure;
        failure.error = streams.isEmpty() ? QStringLiteral("没有流") : remote.errorMessage();
        giveUp(QStringLiteral("打开 PipeWire"), failure);
        co_return;
    }

    const QList<QScreen*> screens = QGuiApplication::screens();
    std::vector<tessary::PixelRect> logical;
    for (const QScreen* screen : screens) {
        const QRect g = screen->geometry();
        logical.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    std::vector<tessary::ScreenCastStreamInfo> infos;
    QList<quint32> nodes;
    for (const Stream& stream : streams) {
        infos.push_back(stream.info);
        nodes.append(stream.node);
    }
    const auto match = tessary::matchScreenCastStreams(logical, infos);
    m_screens.clear();
    QStringList covered;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (match[size_t(i)]) {
            m_screens.insert(screens[i]->name(), qsizetype(*match[size_t(i)]));
            covered.append(screens[i]->name());
        }
    }
    m_streams =
        std::make_unique<PipeWireScreenStreams>(::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 0), nodes);
    connect(m_streams.get(), &PipeWireScreenStreams::changed, this, [this] {
        if (m_streams && m_streams->failed()) {
            // The desktop ended the cast (revoked, output gone): the next capture starts another.
            // Not from inside the streams' own signal.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_streams && m_streams->failed()) {
                        stop();
                        setState(State::idle);
                    }
                },
                Qt::QueuedConnection);
        } else {
            Q_EMIT stateChanged();
        }
    });
    Log::info(QStringLiteral("屏幕录制：") + QString::number(streams.size()) +
              QStringLiteral(" 路流，覆盖屏幕 ") +
              (covered.isEmpty() ? QStringLiteral("（无）") : covered.join(QLatin1Char(','))) +
              (restoring ? QStringLiteral("，按上次的授权恢复") : QString()) + QStringLiteral("，") +
              QString::number(timer.elapsed()) + QStringLiteral(" ms。"));
    setState(State::running);
}

bool ScreenCastSession::waitUntilReady(int timeoutMs) {
    const auto ready = [this] { return m_state == State::running && m_streams && m_streams->ready(); };
    if (ready() || m_state == State::idle || m_state == State::unavailable) {
        return ready();
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &ScreenCastSession::stateChanged, &loop, [&] {
        if (ready() || m_state == State::idle || m_state == State::unavailable) {
            loop.quit();
        }
    });
    deadline.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return ready();
}

void ScreenCastSession::onClosed() {
    Log::info(QStringLiteral("屏幕录制：桌面关闭了会话。"));
    m_sessionHandle.clear();
    stop();
    setState(State::idle);
}

void ScreenCastSession::pause() {
    if (m_state != State::running) {
        return;
    }
    Log::info(QStringLiteral("屏幕录制：一段时间没有截图，先结束录制会话（下次截图时恢复）。"));
    stop();
    setState(State::idle);
}

void ScreenCastSession::stop() {
    m_streams.reset();
    m_screens.clear();
    if (!m_sessionHandle.isEmpty()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.disconnect(QString::fromLatin1(PortalRequest::service), m_sessionHandle, kSessionInterface,
                       QStringLiteral("Closed"), this, SLOT(onClosed()));
        bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(PortalRequest::service), m_sessionHandle,
                                                kSessionInterface, QStringLiteral("Close")),
                 QDBus::NoBlock);
        m_sessionHandle.clear();
    }
}
