// Starts a command and prints the milliseconds until an override-redirect window covering at
// least half the root window is mapped (the capture overlay). Exit 1 on a timeout.
//   time_to_overlay TIMEOUT_MS COMMAND [ARGS...]
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: time_to_overlay TIMEOUT_MS COMMAND [ARGS...]\n");
        return 2;
    }
    const int timeoutMs = std::atoi(argv[1]);
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X server\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    const int fd = xcb_get_file_descriptor(connection);
    for (;;) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const int left =
            timeoutMs -
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        if (left <= 0) {
            std::fprintf(stderr, "timed out\n");
            return 1;
        }
        pollfd waitFor{fd, POLLIN, 0};
        poll(&waitFor, 1, left);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                xcb_get_geometry_reply_t* geometry =
                    xcb_get_geometry_reply(connection, xcb_get_geometry(connection, map->window), nullptr);
                const bool large = geometry && geometry->width * 2 >= screen->width_in_pixels &&
                                   geometry->height * 2 >= screen->height_in_pixels;
                std::free(geometry);
                if (map->override_redirect && large) {
                    const auto mapped = std::chrono::steady_clock::now() - start;
                    std::printf("%.1f\n", std::chrono::duration<double, std::milli>(mapped).count());
                    std::free(event);
                    waitpid(child, nullptr, WNOHANG);
                    return 0;
                }
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection)) {
            return 2;
        }
    }
}
