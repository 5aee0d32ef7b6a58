// The `tessary` command. A running Tessary takes requests over its socket, so the common case
// (a desktop shortcut running `tessary --capture-now`) only needs a few system calls; loading
// Qt and the recognition libraries for that would cost far more than the capture itself.
// Everything else becomes the full application through execv, keeping this process id.
#include "TessaryCore/InstanceForwarding.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

std::string ownDirectory() {
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0) {
        return ".";
    }
    std::string path(buffer, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, std::max<size_t>(slash, 1));
}

} // namespace

int main(int argc, char** argv) {
    using namespace tessary;
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (const auto request = InstanceForwarding::requestToForward(arguments)) {
        if (InstanceForwarding::forward(*request, InstanceForwarding::socketPath())) {
            return 0;
        }
    }

    // Next to this file in a build tree, under libexec once installed.
    const std::string directory = ownDirectory();
    const std::string candidates[] = {directory + "/tessary-app",
                                      directory + "/../libexec/tessary/tessary-app"};
    for (const std::string& app : candidates) {
        if (::access(app.c_str(), X_OK) == 0) {
            // argv[0] stays as typed, so the process still looks like `tessary` to the window system.
            ::execv(app.c_str(), argv);
            std::fprintf(stderr, "tessary: cannot start %s: %s\n", app.c_str(), std::strerror(errno));
            return 126;
        }
    }
    std::fprintf(stderr, "tessary: the application is missing; looked for %s and %s\n", candidates[0].c_str(),
                 candidates[1].c_str());
    return 127;
}
