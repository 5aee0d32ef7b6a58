#include "Platform/X11/X11WindowList.h"

#include "Platform/X11/X11Connection.h"

#include <QRect>

namespace {

constexpr quint32 allDesktops = 0xFFFFFFFF;

// Left, right, top, bottom as EWMH orders them; empty unless exactly four values.
std::optional<QList<quint32>> extents(const std::optional<QList<quint32>>& values) {
    if (values && values->size() == 4) {
        return values;
    }
    return std::nullopt;
}

} // namespace

X11WindowList::X11WindowList(std::shared_ptr<X11Connection> connection) : m_x(std::move(connection)) {
    m_x->preloadAtoms({"_NET_CLIENT_LIST_STACKING",
                       "_NET_FRAME_EXTENTS",
                       "_GTK_FRAME_EXTENTS",
                       "_NET_WM_PID",
                       "_NET_WM_WINDOW_TYPE",
                       "_NET_WM_STATE",
                       "_NET_WM_WINDOW_OPACITY",
                       "_NET_WM_DESKTOP",
                       "_NET_CURRENT_DESKTOP",
                       "_NET_WM_STATE_HIDDEN",
                       "_NET_WM_STATE_ABOVE",
                       "_NET_WM_WINDOW_TYPE_DESKTOP",
                       "_NET_WM_WINDOW_TYPE_DOCK",
                       "_NET_WM_WINDOW_TYPE_TOOLBAR",
                       "_NET_WM_WINDOW_TYPE_MENU",
                       "_NET_WM_WINDOW_TYPE_UTILITY",
                       "_NET_WM_WINDOW_TYPE_SPLASH",
                       "_NET_WM_WINDOW_TYPE_DIALOG",
                       "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
                       "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                       "_NET_WM_WINDOW_TYPE_TOOLTIP",
                       "_NET_WM_WINDOW_TYPE_NOTIFICATION",
                       "_NET_WM_WINDOW_TYPE_COMBO",
                       "_NET_WM_WINDOW_TYPE_DND",
                       "_NET_WM_WINDOW_TYPE_NORMAL"});
}

std::int64_t X11WindowList::layerOf(const QList<quint32>& types, const QList<quint32>& states) {
    std::int64_t layer = normalLayer;
    // The first type the manager understands wins (EWMH lists them in order of preference).
    for (const quint32 type : types) {
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_DESKTOP")) {
            return desktopLayer;
        }
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_DOCK")) {
            return dockLayer;
        }
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_NOTIFICATION")) {
            return notificationLayer;
        }
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_TOOLTIP")) {
            return tooltipLayer;
        }
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_MENU") ||
            type == m_x->atom("_NET_WM_WINDOW_TYPE_DROPDOWN_MENU") ||
            type == m_x->atom("_NET_WM_WINDOW_TYPE_POPUP_MENU") ||
            type == m_x->atom("_NET_WM_WINDOW_TYPE_COMBO")) {
            return menuLayer;
        }
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_DND")) {
            return dragLayer;
        }
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_UTILITY") ||
            type == m_x->atom("_NET_WM_WINDOW_TYPE_TOOLBAR")) {
            layer = floatingLayer;
            break;
        }
        if (type == m_x->atom("_NET_WM_WINDOW_TYPE_NORMAL") ||
            type == m_x->atom("_NET_WM_WINDOW_TYPE_DIALOG") ||
            type == m_x->atom("_NET_WM_WINDOW_TYPE_SPLASH")) {
            break;
        }
    }
    if (layer == normalLayer && states.contains(m_x->atom("_NET_WM_STATE_ABOVE"))) {
        layer = floatingLayer;
    }
    return layer;
}

std::optional<std::vector<tessary::WindowDescription>> X11WindowList::onScreenWindows() {
    xcb_connection_t* c = m_x->connection();
    const std::optional<QList<quint32>> stacking =
        m_x->cardinals(m_x->root(), m_x->atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (!stacking) {
        return std::nullopt;
    }
    const std::optional<QList<quint32>> currentDesktop =
        m_x->cardinals(m_x->root(), m_x->atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);

    // Every request for every window goes out before the first reply is read: one round trip in all.
    struct Pending {
        xcb_window_t window;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t frameExtents, gtkExtents, pid, wmClass, types, states, opacity, desktop;
    };
    std::vector<Pending> pending;
    pending.reserve(size_t(stacking->size()));
    for (auto it = stacking->crbegin(); it != stacking->crend(); ++it) {
        const xcb_window_t w = *it;
        pending.push_back({w, xcb_get_geometry(c, w), xcb_translate_coordinates(c, w, m_x->root(), 0, 0),
                           xcb_get_window_attributes(c, w),
                           m_x->requestProperty(w, m_x->atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL),
                           m_x->requestProperty(w, m_x->atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL),
                           m_x->requestProperty(w, m_x->atom("_NET_WM_PID"), XCB_ATOM_CARDINAL),
                           m_x->requestProperty(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING),
                           m_x->requestProperty(w, m_x->atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM),
                           m_x->requestProperty(w, m_x->atom("_NET_WM_STATE"), XCB_ATOM_ATOM),
                           m_x->requestProperty(w, m_x->atom("_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL),
                           m_x->requestProperty(w, m_x->atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL)});
    }

    std::vector<tessary::WindowDescription> result;
    result.reserve(pending.size());
    for (const Pending& p : pending) {
        xcb_generic_error_t* error = nullptr;
        auto geometry = xcbReply(xcb_get_geometry_reply(c, p.geometry, &error));
        std::free(std::exchange(error, nullptr));
        auto origin = xcbReply(xcb_translate_coordinates_reply(c, p.origin, &error));
        std::free(std::exchange(error, nullptr));
        auto attributes = xcbReply(xcb_get_window_attributes_reply(c, p.attributes, &error));
        std::free(std::exchange(error, nullptr));
        const auto frameExtents = extents(m_x->cardinalsReply(p.frameExtents, XCB_ATOM_CARDINAL));
        const auto gtkExtents = extents(m_x->cardinalsReply(p.gtkExtents, XCB_ATOM_CARDINAL));
        const auto pid = m_x->cardinalsReply(p.pid, XCB_ATOM_CARDINAL);
        const auto wmClass = m_x->bytesReply(p.wmClass, XCB_ATOM_STRING);
        const QList<quint32> types = m_x->cardinalsReply(p.types, XCB_ATOM_ATOM).value_or(QList<quint32>{});
        const QList<quint32> states = m_x->cardinalsReply(p.states, XCB_ATOM_ATOM).value_or(QList<quint32>{});
        const auto opacity = m_x->cardinalsReply(p.opacity, XCB_ATOM_CARDINAL);
        const auto desktop = m_x->cardinalsReply(p.desktop, XCB_ATOM_CARDINAL);
        if (!geometry || !origin || !attributes) {
            continue; // closed while we were looking
        }

        tessary::WindowDescription description;
        QRect frame(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        if (const auto& wm = frameExtents) {
            frame.adjust(-int((*wm)[0]), -int((*wm)[2]), int((*wm)[1]), int((*wm)[3]));
        }
        if (const auto& gtk = gtkExtents) {
            frame.adjust(int((*gtk)[0]), int((*gtk)[2]), -int((*gtk)[1]), -int((*gtk)[3]));
        }
        const QRectF logical = X11Connection::toLogical(frame);
        description.bounds = tessary::Rect{logical.x(), logical.y(), logical.width(), logical.height()};

        // Clients that do not name their process cannot be ours (Qt always sets it).
        description.ownerPID = pid && pid->size() == 1 ? std::int64_t(pid->first()) : 0;

        if (wmClass) {
            // ICCCM: "instance\0class\0" in Latin-1; the class names the application.
            const QList<QByteArray> parts = wmClass->split('\0');
            const QByteArray name = parts.value(1).isEmpty() ? parts.value(0) : parts.value(1);
            if (!name.isEmpty()) {
                description.ownerName = QString::fromLatin1(name).toStdString();
            }
        }

        description.layer = layerOf(types, states);

        double alpha = 1.0;
        if (opacity && opacity->size() == 1) {
            alpha = double(opacity->first()) / double(0xFFFFFFFFu);
        }
        const bool otherDesktop = desktop && desktop->size() == 1 && desktop->first() != allDesktops &&
                                  currentDesktop && currentDesktop->size() == 1 &&
                                  desktop->first() != currentDesktop->first();
        if (states.contains(m_x->atom("_NET_WM_STATE_HIDDEN")) ||
            attributes->map_state != XCB_MAP_STATE_VIEWABLE || otherDesktop) {
            alpha = 0;
        }
        description.alpha = alpha;
        result.push_back(std::move(description));
    }
    return result;
}
