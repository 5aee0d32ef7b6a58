#pragma once

#include "TessaryCore/DeepSeekRetry.h"

#include <chrono>

// When the cloud client tries a request again: only a lost connection, a refused connection or a
// time-out, three attempts in all, 0.4 s and then 0.8 s apart. HTTP statuses are never retried.
namespace tessary::CloudRetry {

inline constexpr int maxAttempts = 3;

constexpr bool isRetryable(DeepSeekRetry::TransportError error) {
    using DeepSeekRetry::TransportError;
    return error == TransportError::connectionLost || error == TransportError::cannotConnect ||
           error == TransportError::timedOut;
}

// The pause after failed attempt `attempt` (1-based).
constexpr std::chrono::milliseconds delayAfter(int attempt) {
    return std::chrono::milliseconds(400 * attempt);
}

} // namespace tessary::CloudRetry
