// A desktop portal that offers org.freedesktop.portal.ScreenCast the way a desktop does, for
// compositors whose own back end cannot cast here (xdg-desktop-portal-wlr refuses to cast from a
// compositor without a GPU). Each output named on the command line becomes a real PipeWire video
// stream on the session's PipeWire daemon, fed with the compositor's own pixels read back by
// `grim`. Sessions persist: Start hands out a restore token and a later SelectSources that brings
// it back is not "asked" again. Prints one line per decision for the test to check.
//
// With FAKE_SHORTCUT_PRESS_MS set it also offers org.freedesktop.portal.GlobalShortcuts (which
// Debian 12's portal lacks): BindShortcuts binds whatever is asked for, and that many milliseconds
// later the first bound shortcut is "pressed" (Activated).
//
//   fake_screencast_portal NAME:x,y,w,h:scale ...
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QImage>
#include <QProcess>
#include <QTimer>
#include <QUuid>
#include <QVariantMap>

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

struct IntPair {
    int a = 0;
    int b = 0;
};
Q_DECLARE_METATYPE(IntPair)
QDBusArgument& operator<<(QDBusArgument& argument, const IntPair& pair) {
    argument.beginStructure();
    argument << pair.a << pair.b;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, IntPair& pair) {
    argument.beginStructure();
    argument >> pair.a >> pair.b;
    argument.endStructure();
    return argument;
}

struct StreamEntry {
    uint node = 0;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(StreamEntry)
QDBusArgument& operator<<(QDBusArgument& argument, const StreamEntry& entry) {
    argument.beginStructure();
    argument << entry.node << entry.properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, StreamEntry& entry) {
    argument.beginStructure();
    argument >> entry.node >> entry.properties;
    argument.endStructure();
    return argument;
}

struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(ShortcutEntry)
QDBusArgument& operator<<(QDBusArgument& argument, const ShortcutEntry& entry) {
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, ShortcutEntry& entry) {
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

namespace {

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// One output as a PipeWire source node that sends the newest frame it was given.
struct Output {
    QString name;
    QRect logical;
    int scale = 1;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    QImage frame;
    bool negotiated = false;

    QSize pixels() const { return logical.size() * scale; }

    static void onParamChanged(void* data, uint32_t id, const spa_pod* param) {
        auto* out = static_cast<Output*>(data);
        if (!param || id != SPA_PARAM_Format) {
            return;
        }
        const QSize size = out->pixels();
        uint8_t storage[256];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        const spa_pod* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
            SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
            SPA_PARAM_BUFFERS_size, SPA_POD_Int(size.width() * size.height() * 4), SPA_PARAM_BUFFERS_stride,
            SPA_POD_Int(size.width() * 4), SPA_PARAM_BUFFERS_dataType,
            SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
        pw_stream_update_params(out->stream, &buffers, 1);
        out->negotiated = true;
    }

    static void onProcess(void* data) {
        auto* out = static_cast<Output*>(data);
        pw_buffer* buffer = pw_stream_dequeue_buffer(out->stream);
        if (!buffer) {
            return;
        }
        spa_data& d = buffer->buffer->datas[0];
        const QImage& f = out->frame;
        if (d.data && !f.isNull() && qsizetype(d.maxsize) >= f.sizeInBytes()) {
            for (int y = 0; y < f.height(); ++y) {
                std::memcpy(static_cast<uchar*>(d.data) + qsizetype(y) * f.width() * 4, f.constScanLine(y),
                            size_t(f.width()) * 4);
            }
            d.chunk->offset = 0;
            d.chunk->stride = f.width() * 4;
            d.chunk->size = uint32_t(f.width() * f.height() * 4);
        } else {
            d.chunk->size = 0;
        }
        pw_stream_queue_buffer(out->stream, buffer);
    }
};

const pw_stream_events& streamEvents() {
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.param_changed = &Output::onParamChanged;
        e.process = &Output::onProcess;
        return e;
    }();
    return events;
}

class Portal : public QDBusVirtualObject {
public:
    Portal(std::vector<std::unique_ptr<Output>>& outputs, pw_thread_loop* loop)
        : m_outputs(outputs), m_loop(loop) {}

    QString introspect(const QString&) const override {
        return QStringLiteral("<interface name=\"org.freedesktop.portal.ScreenCast\">"
                              "<property name=\"version\" type=\"u\" access=\"read\"/></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            // Only ScreenCast (and GlobalShortcuts when asked for) here: no Screenshot portal.
            const QString asked = message.arguments().value(0).toString();
            if (asked != QLatin1String("org.freedesktop.portal.ScreenCast") &&
                !(asked == QLatin1String("org.freedesktop.portal.GlobalShortcuts") && m_pressAfterMs > 0)) {
                connection.send(
                    message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
                                             QStringLiteral("only ScreenCast here")));
                return true;
            }
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(4u))));
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.portal.Session") &&
            member == QLatin1String("Close")) {
            say(QStringLiteral("session closed"));
            connection.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("OpenPipeWireRemote")) {
            connection.send(
                message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(pipeWireSocket()))));
            return true;
        }
        const QVariantList args = message.arguments();
        const QVariantMap options = qdbus_cast<QVariantMap>(args.last().value<QDBusArgument>());
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                               QLatin1Char('/') + options.value(QStringLiteral("handle_token")).toString();
        QVariantMap results;
        const bool shortcuts = message.interface() == QLatin1String("org.freedesktop.portal.GlobalShortcuts");
        if (shortcuts && m_pressAfterMs <= 0) {
            return false;
        }
        if (shortcuts && member == QLatin1String("BindShortcuts")) {
            const QString session = args.value(0).value<QDBusObjectPath>().path();
            QList<ShortcutEntry> asked;
            args.value(1).value<QDBusArgument>() >> asked;
            QList<ShortcutEntry> bound;
            for (const ShortcutEntry& entry : asked) {
                const QString trigger =
                    entry.properties.value(QStringLiteral("preferred_trigger")).toString();
                say(QStringLiteral("bind shortcut: %1 %2").arg(entry.id, trigger));
                ShortcutEntry done{entry.id, {{QStringLiteral("trigger_description"), trigger}}};
                bound.append(done);
            }
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
            if (!bound.isEmpty()) {
                const QString id = bound.first().id;
                const QDBusConnection bus = connection;
                QTimer::singleShot(m_pressAfterMs, [bus, session, id] {
                    QDBusMessage activated =
                        QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                   QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                                   QStringLiteral("Activated"));
                    activated.setArguments(
                        {QVariant::fromValue(QDBusObjectPath(session)), id, qulonglong(1), QVariantMap()});
                    QDBusConnection(bus).send(activated);
                    say(QStringLiteral("activated: ") + id);
                });
            }
        } else if (member == QLatin1String("CreateSession")) {
            results.insert(QStringLiteral("session_handle"),
                           QStringLiteral("/org/freedesktop/portal/desktop/session/") + sender +
                               QLatin1Char('/') +
                               options.value(QStringLiteral("session_handle_token")).toString());
        } else if (member == QLatin1String("SelectSources")) {
            const QString token = options.value(QStringLiteral("restore_token")).toString();
            m_restored = !token.isEmpty() && m_issued.contains(token);
            say(QStringLiteral("select sources: types=%1 multiple=%2 cursor_mode=%3 persist_mode=%4 %5")
                    .arg(options.value(QStringLiteral("types")).toUInt())
                    .arg(options.value(QStringLiteral("multiple")).toBool())
                    .arg(options.value(QStringLiteral("cursor_mode")).toUInt())
                    .arg(options.value(QStringLiteral("persist_mode")).toUInt())
                    .arg(m_restored ? QStringLiteral("restored") : QStringLiteral("asked the user")));
            if (!token.isEmpty()) {
                m_issued.removeAll(token);
            }
        } else if (member == QLatin1String("Start")) {
            QList<StreamEntry> streams;
            pw_thread_loop_lock(m_loop);
            for (const auto& out : m_outputs) {
                StreamEntry entry;
                entry.node = pw_stream_get_node_id(out->stream);
                entry.properties.insert(QStringLiteral("position"),
                                        QVariant::fromValue(IntPair{out->logical.x(), out->logical.y()}));
                entry.properties.insert(
                    QStringLiteral("size"),
                    QVariant::fromValue(IntPair{out->logical.width(), out->logical.height()}));
                entry.properties.insert(QStringLiteral("source_type"), 1u);
                streams.append(entry);
            }
            pw_thread_loop_unlock(m_loop);
            // Desktops hand out UUIDs and refuse anything else as a token.
            const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
            m_issued.append(token);
            results.insert(QStringLiteral("streams"), QVariant::fromValue(streams));
            results.insert(QStringLiteral("restore_token"), token);
            say(QStringLiteral("start: %1 streams").arg(streams.size()));
        } else {
            return false;
        }
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
        QDBusMessage response = QDBusMessage::createSignal(
            handle, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response.setArguments({0u, results});
        connection.send(response);
        return true;
    }

private:
    static int pipeWireSocket() {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = qgetenv("XDG_RUNTIME_DIR") + "/pipewire-0";
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
            std::perror("connect pipewire-0");
        }
        return fd;
    }

    std::vector<std::unique_ptr<Output>>& m_outputs;
    pw_thread_loop* m_loop;
    QStringList m_issued;
    bool m_restored = false;
    int m_pressAfterMs = qEnvironmentVariableIntValue("FAKE_SHORTCUT_PRESS_MS");
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<IntPair>();
    qDBusRegisterMetaType<StreamEntry>();
    qDBusRegisterMetaType<QList<StreamEntry>>();
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<QList<ShortcutEntry>>();
    pw_init(&argc, &argv);

    std::vector<std::unique_ptr<Output>> outputs;
    for (const QString& argument : app.arguments().mid(1)) {
        const QStringList parts = argument.split(QLatin1Char(':'));
        const QStringList rect = parts.value(1).split(QLatin1Char(','));
        if (parts.size() != 3 || rect.size() != 4) {
            std::fprintf(stderr, "output as NAME:x,y,w,h:scale\n");
            return 2;
        }
        auto out = std::make_unique<Output>();
        out->name = parts[0];
        out->logical = QRect(rect[0].toInt(), rect[1].toInt(), rect[2].toInt(), rect[3].toInt());
        out->scale = parts[2].toInt();
        outputs.push_back(std::move(out));
    }

    pw_thread_loop* loop = pw_thread_loop_new("fake-cast", nullptr);
    pw_context* context = pw_context_new(pw_thread_loop_get_loop(loop), nullptr, 0);
    pw_thread_loop_start(loop);
    pw_thread_loop_lock(loop);
    pw_core* core = pw_context_connect(context, nullptr, 0);
    if (!core) {
        std::fprintf(stderr, "no pipewire daemon\n");
        return 1;
    }
    for (const auto& out : outputs) {
        out->stream = pw_stream_new(core, qPrintable(out->name),
                                    pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", nullptr));
        pw_stream_add_listener(out->stream, &out->listener, &streamEvents(), out.get());
        spa_rectangle size{uint32_t(out->pixels().width()), uint32_t(out->pixels().height())};
        spa_fraction rate{0, 1};
        uint8_t storage[512];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
            SPA_FORMAT_VIDEO_format, SPA_POD_Id(SPA_VIDEO_FORMAT_BGRx), SPA_FORMAT_VIDEO_size,
            SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&rate)));
        pw_stream_connect(out->stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                          pw_stream_flags(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS), &format, 1);
    }
    pw_thread_loop_unlock(loop);
    for (int i = 0; i < 200; ++i) {
        pw_thread_loop_lock(loop);
        bool all = true;
        for (const auto& out : outputs) {
            all = all && pw_stream_get_node_id(out->stream) != SPA_ID_INVALID;
        }
        pw_thread_loop_unlock(loop);
        if (all) {
            break;
        }
        ::usleep(20'000);
    }

    // The compositor's pixels, read back a few times a second and sent each time (a consumer that
    // connects late gets the next one).
    // Read without blocking the bus: a portal that stalls while grim runs would stall its callers.
    const int period = qEnvironmentVariableIntValue("FAKE_CAST_PERIOD_MS") > 0
                           ? qEnvironmentVariableIntValue("FAKE_CAST_PERIOD_MS")
                           : 100;
    QTimer refresh;
    refresh.setSingleShot(true);
    std::size_t next = 0;
    QProcess grim;
    QObject::connect(&grim, &QProcess::finished, [&] {
        Output& out = *outputs[next];
        const QImage image =
            QImage::fromData(grim.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
        if (!image.isNull() && image.size() == out.pixels()) {
            pw_thread_loop_lock(loop);
            out.frame = image;
            pw_stream_trigger_process(out.stream);
            pw_thread_loop_unlock(loop);
        }
        next = (next + 1) % outputs.size();
        refresh.start(period);
    });
    QObject::connect(&refresh, &QTimer::timeout, [&] {
        grim.start(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-o"),
                                            outputs[next]->name, QStringLiteral("-")});
    });
    if (!outputs.empty()) {
        refresh.start(0);
    }

    Portal portal(outputs, loop);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                   QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "cannot own the portal name\n");
        return 1;
    }
    say(QStringLiteral("ready"));
    return app.exec();
}
