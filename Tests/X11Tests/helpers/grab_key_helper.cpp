// Holds a key combination the way another application would: a passive grab on the root window.
//   grab_key_helper KEYSYM MODIFIERS [all|caps-only]
// KEYSYM is hexadecimal (0x61 for "a"), MODIFIERS a "+"-separated list of ctrl, alt, shift, super
// (or "none"). "all" grabs under every lock state, "caps-only" only with CapsLock on (a partial hold).
// Prints "grabbed" or "refused", then keeps the grab until its standard input closes.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s KEYSYM MODIFIERS [all|caps-only]\n", argv[0]);
        return 2;
    }
    const auto keysym = static_cast<xcb_keysym_t>(std::strtoul(argv[1], nullptr, 16));
    std::uint16_t modifiers = 0;
    std::string list = argv[2];
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('+', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string name = list.substr(start, end - start);
        if (name == "ctrl") {
            modifiers |= XCB_MOD_MASK_CONTROL;
        } else if (name == "alt") {
            modifiers |= XCB_MOD_MASK_1;
        } else if (name == "shift") {
            modifiers |= XCB_MOD_MASK_SHIFT;
        } else if (name == "super") {
            modifiers |= XCB_MOD_MASK_4;
        } else if (name != "none" && !name.empty()) {
            std::fprintf(stderr, "unknown modifier %s\n", name.c_str());
            return 2;
        }
        start = end + 1;
    }
    const bool capsOnly = argc > 3 && std::strcmp(argv[3], "caps-only") == 0;

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot connect to the X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (!keycodes || *keycodes == XCB_NO_SYMBOL) {
        std::printf("refused\n");
        return 1;
    }
    // The default keyboard map of Xvfb puts NumLock on Mod2.
    const std::vector<std::uint16_t> locks =
        capsOnly ? std::vector<std::uint16_t>{XCB_MOD_MASK_LOCK}
                 : std::vector<std::uint16_t>{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                              XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
    bool refused = false;
    for (xcb_keycode_t* k = keycodes; *k != XCB_NO_SYMBOL; ++k) {
        for (std::uint16_t lock : locks) {
            const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 1, root, modifiers | lock, *k,
                                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
                refused = true;
                std::free(error);
            }
        }
    }
    std::free(keycodes);
    std::printf(refused ? "refused\n" : "grabbed\n");
    std::fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(connection);
    return refused ? 1 : 0;
}
