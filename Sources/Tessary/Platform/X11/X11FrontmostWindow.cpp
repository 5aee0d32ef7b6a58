#include "Platform/X11/X11FrontmostWindow.h"

#include "Platform/X11/X11Connection.h"

namespace {
// EWMH source indication: a pager acts for the user, so focus-stealing prevention lets it through.
constexpr uint32_t sourcePager = 2;
} // namespace

X11FrontmostWindow::X11FrontmostWindow(std::shared_ptr<X11Connection> connection)
    : m_x(std::move(connection)) {}

FrontmostWindow::Handle X11FrontmostWindow::current() {
    const auto active = m_x->cardinals(m_x->root(), m_x->atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active && active->size() == 1 ? active->first() : 0;
}

void X11FrontmostWindow::activate(Handle window) {
    if (window == 0 || window > 0xFFFFFFFFu) {
        return;
    }
    xcb_connection_t* c = m_x->connection();
    const auto id = static_cast<xcb_window_t>(window);
    xcb_generic_error_t* error = nullptr;
    auto attributes = xcbReply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), &error));
    std::free(error);
    if (!attributes) {
        return; // closed during the capture
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = m_x->atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = sourcePager;
    event.data.data32[1] = XCB_CURRENT_TIME;
    event.data.data32[2] = 0;
    xcb_send_event(c, 0, m_x->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}
