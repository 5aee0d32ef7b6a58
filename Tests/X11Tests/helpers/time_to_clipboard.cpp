// Starts a command and prints the milliseconds until some client takes ownership of the CLIPBOARD
// selection (a copy has landed). Exit 1 on a timeout.
//   time_to_clipboard TIMEOUT_MS COMMAND [ARGS...]
#include "TimedChild.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int timeoutMs = timeoutArgument(argc, argv, 3, "time_to_clipboard TIMEOUT_MS COMMAND [ARGS...]");
    xcb_connection_t* connection = timeoutMs < 0 ? nullptr : connectToDisplay();
    if (!connection) {
        return 2;
    }
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        std::fprintf(stderr, "no XFIXES\n");
        return 2;
    }
    std::free(
        xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 9, "CLIPBOARD"), nullptr);
    if (!atom) {
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_xfixes_select_selection_input(connection, screen->root, atom->atom,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    std::free(atom);
    xcb_flush(connection);

    const uint8_t notifyType = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    return timeChildUntilEvent(connection, timeoutMs, argv + 2, [notifyType](xcb_generic_event_t* event) {
        return (event->response_type & 0x7f) == notifyType;
    });
}
