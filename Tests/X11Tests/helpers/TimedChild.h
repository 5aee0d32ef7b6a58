#pragma once

// Shared by the timing probes: start a command, then wait for the first X event that `matches`
// accepts and print the milliseconds since the start. 0 on a match, 1 on a timeout, 2 when the
// connection breaks.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

template <typename Matches>
int timeChildUntilEvent(xcb_connection_t* connection, int timeoutMs, char** command, Matches matches) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
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
            const bool matched = matches(event);
            std::free(event);
            if (matched) {
                const auto seen = std::chrono::steady_clock::now() - start;
                std::printf("%.1f\n", std::chrono::duration<double, std::milli>(seen).count());
                waitpid(child, nullptr, WNOHANG); // the command may well outlive the probe
                return 0;
            }
        }
        if (xcb_connection_has_error(connection)) {
            return 2;
        }
    }
}
