// Starts a command and prints the milliseconds until an override-redirect window covering at
// least half the root window is mapped (the capture overlay). Exit 1 on a timeout.
//   time_to_overlay TIMEOUT_MS COMMAND [ARGS...]
#include "TimedChild.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int timeoutMs = timeoutArgument(argc, argv, 3, "time_to_overlay TIMEOUT_MS COMMAND [ARGS...]");
    xcb_connection_t* connection = timeoutMs < 0 ? nullptr : connectToDisplay();
    if (!connection) {
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    return timeChildUntilEvent(connection, timeoutMs, argv + 2, [&](xcb_generic_event_t* event) {
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) {
            return false;
        }
        auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, map->window), nullptr);
        const bool large = geometry && geometry->width * 2 >= screen->width_in_pixels &&
                           geometry->height * 2 >= screen->height_in_pixels;
        std::free(geometry);
        return map->override_redirect && large;
    });
}
