#pragma once

#include <chrono>

// When the DeepSeek engine tries a request again: transient transport failures, 429 and 5xx, up to
// seven attempts with growing pauses (6.3 s of pausing in all).
namespace tessary::DeepSeekRetry {

inline constexpr int maxAttempts = 7;

// How a request failed below HTTP.
enum class TransportError {
    connectionLost,
    cannotConnect,
    timedOut,
    hostNotFound,
    dnsFailed,
    secureConnectionFailed,
    notConnected,
    other,
};

bool isRetryable(TransportError error);
bool isRetryableStatus(int status);

// The pause after failed attempt `attempt` (1-based, below maxAttempts) before the next one.
std::chrono::milliseconds delayAfter(int attempt);

} // namespace tessary::DeepSeekRetry
