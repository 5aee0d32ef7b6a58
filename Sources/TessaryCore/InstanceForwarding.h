#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessary {

// What a second launch asks of the resident instance.
enum class InstanceRequest { activate, captureNow };

// The client half of the single-instance protocol and the socket location both halves agree on.
// Free of Qt and ICU so the tiny launcher can compile it in and stay quick to start.
namespace InstanceForwarding {

// Messages are one short line; anything longer or unknown is dropped by the server.
inline constexpr std::size_t maxMessageBytes = 64;

// "$XDG_RUNTIME_DIR/tessary/<application id>.sock", or a per-user folder under the temporary
// directory ($TMPDIR, else /tmp) when the runtime directory is unset or empty.
std::string socketPath();
std::string socketPath(std::string_view runtimeDirectory, std::string_view temporaryDirectory,
                       unsigned userId);

std::string encode(InstanceRequest request);
std::optional<InstanceRequest> decode(std::string_view message);

// Connects, sends the request and waits at most two seconds for the server's "ok".
// True only when a running instance took the request; never blocks longer, never throws.
bool forward(InstanceRequest request, const std::string& path);

// What a launch with these arguments (program name excluded) hands to a running instance;
// none when it must run by itself: scripted --dev-* runs, --help and --version.
std::optional<InstanceRequest> requestToForward(std::span<const std::string_view> arguments);

} // namespace InstanceForwarding
} // namespace tessary
