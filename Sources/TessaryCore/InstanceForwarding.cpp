#include "TessaryCore/InstanceForwarding.h"

#include "TessaryCore/AppId.h"

#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tessary::InstanceForwarding {

namespace {

constexpr std::string_view captureNowMessage = "capture-now\n";
constexpr std::string_view activateMessage = "activate\n";

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

} // namespace

std::string socketPath(std::string_view runtimeDirectory, std::string_view temporaryDirectory,
                       unsigned userId) {
    std::string base;
    if (!runtimeDirectory.empty()) {
        base = runtimeDirectory;
    } else {
        std::string_view temp = temporaryDirectory.empty() ? std::string_view("/tmp") : temporaryDirectory;
        while (!temp.empty() && temp.back() == '/') {
            temp.remove_suffix(1);
        }
        base = std::string(temp) + "/tessary-" + std::to_string(userId);
    }
    return base + "/tessary/" + std::string(applicationId) + ".sock";
}

std::string socketPath() {
    return socketPath(environment("XDG_RUNTIME_DIR"), environment("TMPDIR"), ::getuid());
}

std::string encode(InstanceRequest request) {
    return std::string(request == InstanceRequest::captureNow ? captureNowMessage : activateMessage);
}

std::optional<InstanceRequest> decode(std::string_view message) {
    if (message == captureNowMessage) {
        return InstanceRequest::captureNow;
    }
    if (message == activateMessage) {
        return InstanceRequest::activate;
    }
    return std::nullopt;
}

bool forward(InstanceRequest request, const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool delivered = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        const std::string message = encode(request);
        delivered =
            ::send(fd, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size());
        if (delivered) {
            // The server answers "ok" once it has taken the request; a hung server must not hang us.
            pollfd waitFor{fd, POLLIN, 0};
            char reply[4] = {};
            delivered = ::poll(&waitFor, 1, 2000) == 1 && ::recv(fd, reply, sizeof(reply), 0) >= 2 &&
                        std::memcmp(reply, "ok", 2) == 0;
        }
    }
    ::close(fd);
    return delivered;
}

std::optional<InstanceRequest> requestToForward(std::span<const std::string_view> arguments) {
    bool captureNow = false;
    for (std::string_view argument : arguments) {
        if (argument.starts_with("--dev-") || argument == "--help" || argument == "--version") {
            return std::nullopt;
        }
        captureNow = captureNow || argument == "--capture-now";
    }
    return captureNow ? InstanceRequest::captureNow : InstanceRequest::activate;
}

} // namespace tessary::InstanceForwarding
