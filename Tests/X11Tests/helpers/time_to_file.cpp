// Starts a command and prints the milliseconds until PATH appears complete: moved into place or
// closed after writing. Exit 1 on a timeout. Waiting uses inotify, so the probe itself costs no
// processor time while the command's effects are being timed.
//   time_to_file TIMEOUT_MS PATH COMMAND [ARGS...]
#include "TimedChild.h"

#include <sys/inotify.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const int timeoutMs = timeoutArgument(argc, argv, 4, "time_to_file TIMEOUT_MS PATH COMMAND [ARGS...]");
    if (timeoutMs < 0) {
        return 2;
    }
    const std::string path = argv[2];
    const auto slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, directory.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        std::perror("inotify");
        return 2;
    }
    return timeChildUntil(fd, timeoutMs, argv + 3, [&]() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t length = read(fd, buffer, sizeof buffer);
            if (length <= 0) {
                return 0;
            }
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name == event->name) {
                    return 1;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    });
}
