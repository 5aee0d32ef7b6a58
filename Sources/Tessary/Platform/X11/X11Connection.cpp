#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QScreen>
#include <qguiapplication_platform.h>

#include <cstdlib>

namespace {
// Properties larger than this are not ours to read (a client list of 64 Ki windows is plenty).
constexpr uint32_t maximumPropertyItems = 1 << 16;
} // namespace

std::shared_ptr<X11Connection> X11Connection::fromApplication() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection)) {
        return nullptr;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (screens.rem == 0) {
        return nullptr;
    }
    // Qt opens the default screen of $DISPLAY; Tessary's displays all live on that one root.
    return std::make_shared<X11Connection>(connection, screens.data->root);
}

X11Connection::X11Connection(xcb_connection_t* connection, xcb_window_t root)
    : m_connection(connection), m_root(root) {}

xcb_atom_t X11Connection::atom(const char* name) {
    const QByteArray key(name);
    if (const auto it = m_atoms.constFind(key); it != m_atoms.constEnd()) {
        return *it;
    }
    preloadAtoms({name});
    return m_atoms.value(key, XCB_ATOM_NONE);
}

void X11Connection::preloadAtoms(const QList<const char*>& names) {
    QList<std::pair<QByteArray, xcb_intern_atom_cookie_t>> pending;
    for (const char* name : names) {
        const QByteArray key(name);
        if (!m_atoms.contains(key)) {
            pending.append({key, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(key.size()), name)});
        }
    }
    for (const auto& [key, cookie] : pending) {
        auto reply = xcbReply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
        m_atoms.insert(key, reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE));
    }
}

QString X11Connection::atomName(xcb_atom_t atom) {
    xcb_generic_error_t* error = nullptr;
    auto reply =
        xcbReply(xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), &error));
    std::free(error);
    if (!reply) {
        return {};
    }
    return QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}

std::optional<QList<quint32>> X11Connection::cardinals(xcb_window_t window, xcb_atom_t property,
                                                       xcb_atom_t type) {
    return cardinalsReply(requestProperty(window, property, type), type);
}

std::optional<QByteArray> X11Connection::bytes(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    return bytesReply(requestProperty(window, property, type), type);
}

xcb_get_property_cookie_t X11Connection::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                         xcb_atom_t type) {
    return xcb_get_property(m_connection, 0, window, property, type, 0, maximumPropertyItems);
}

std::optional<QList<quint32>> X11Connection::cardinalsReply(xcb_get_property_cookie_t cookie,
                                                            xcb_atom_t type) {
    xcb_generic_error_t* error = nullptr;
    auto reply = xcbReply(xcb_get_property_reply(m_connection, cookie, &error));
    std::free(error);
    if (!reply || reply->type != type || reply->format != 32) {
        return std::nullopt;
    }
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return QList<quint32>(values, values + count);
}

std::optional<QByteArray> X11Connection::bytesReply(xcb_get_property_cookie_t cookie, xcb_atom_t type) {
    xcb_generic_error_t* error = nullptr;
    auto reply = xcbReply(xcb_get_property_reply(m_connection, cookie, &error));
    std::free(error);
    if (!reply || reply->type != type || reply->format != 8) {
        return std::nullopt;
    }
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

QRect X11Connection::nativeGeometry(const QScreen* screen) {
    const QRect g = screen->geometry();
    const qreal dpr = screen->devicePixelRatio();
    return {g.topLeft(), QSize(qRound(g.width() * dpr), qRound(g.height() * dpr))};
}

QRectF X11Connection::toLogical(const QRect& native) {
    const QPoint centre = native.center();
    const QScreen* holder = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (nativeGeometry(screen).contains(centre)) {
            holder = screen;
            break;
        }
    }
    if (!holder || holder->devicePixelRatio() == 1.0) {
        return QRectF(native);
    }
    const qreal dpr = holder->devicePixelRatio();
    const QPointF origin = holder->geometry().topLeft();
    return {origin + (QPointF(native.topLeft()) - origin) / dpr, QSizeF(native.size()) / dpr};
}
