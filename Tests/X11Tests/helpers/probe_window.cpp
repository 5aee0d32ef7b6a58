// A plain top-level X window for window-list tests. It stays mapped until killed.
//   probe_window CLASS WIDTH HEIGHT [dock|above|opacity=F|nopid]...
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: probe_window CLASS WIDTH HEIGHT [dock|above|opacity=F|nopid]...\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, uint16_t(std::atoi(argv[2])),
                      uint16_t(std::atoi(argv[3])), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL, values);

    const std::string wmClass = std::string(argv[1]) + '\0' + argv[1] + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(wmClass.size()), wmClass.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(std::strlen(argv[1])), argv[1]);
    bool pid = true;
    for (int i = 4; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "dock") {
            const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_WINDOW_TYPE"),
                                XCB_ATOM_ATOM, 32, 1, &type);
        } else if (option == "above") {
            const xcb_atom_t state = atom(c, "_NET_WM_STATE_ABOVE");
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                                1, &state);
        } else if (option.rfind("opacity=", 0) == 0) {
            const uint32_t opacity = uint32_t(std::atof(option.c_str() + 8) * 0xFFFFFFFFu);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_WINDOW_OPACITY"),
                                XCB_ATOM_CARDINAL, 32, 1, &opacity);
        } else if (option == "nopid") {
            pid = false;
        }
    }
    if (pid) {
        const uint32_t self = uint32_t(getpid());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32,
                            1, &self);
    }
    xcb_map_window(c, window);
    xcb_flush(c);
    std::printf("%u\n", window);
    std::fflush(stdout);
    // Keep the connection (and so the window) until killed; events are drained so the server never blocks.
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        free(event);
    }
    return 0;
}
