#pragma once

// Shared by the timing probes: start a command, then wait for what it should cause and print the
// milliseconds since the start. Exit status 0 when it happened, 1 on a timeout, 2 on an error.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// TIMEOUT_MS, the first argument of a probe that needs at least `minimum` arguments (its own
// name included); -1 after printing `usage` when they are missing.
inline int timeoutArgument(int argc, char** argv, int minimum, const char* usage) {
    if (argc < minimum) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return -1;
    }
    return std::atoi(argv[1]);
}

// The probe's X connection, or null after saying there is none.
inline xcb_connection_t* connectToDisplay() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X server\n");
        return nullptr;
    }
    return connection;
}

// Starts `command`, then polls `fd` (readable when something may have happened) and asks `seen`
// whether it has; prints the milliseconds from the start to the first yes. `seen` returns 1 for
// yes, 0 for not yet and -1 when waiting is pointless.
template <typename Seen> int timeChildUntil(int fd, int timeoutMs, char** command, Seen seen) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
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
        const int outcome = seen();
        if (outcome < 0) {
            return 2;
        }
        if (outcome > 0) {
            const auto at = std::chrono::steady_clock::now() - start;
            std::printf("%.1f\n", std::chrono::duration<double, std::milli>(at).count());
            waitpid(child, nullptr, WNOHANG); // the command may well outlive the probe
            return 0;
        }
    }
}

// The same for the first X event that `matches` accepts; 2 when the connection breaks.
template <typename Matches>
int timeChildUntilEvent(xcb_connection_t* connection, int timeoutMs, char** command, Matches matches) {
    return timeChildUntil(xcb_get_file_descriptor(connection), timeoutMs, command, [&]() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool matched = matches(event);
            std::free(event);
            if (matched) {
                return 1;
            }
        }
        return xcb_connection_has_error(connection) ? -1 : 0;
    });
}
