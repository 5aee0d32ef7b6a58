#include "TessaryCore/DeepSeekRetry.h"

#include <algorithm>
#include <array>

namespace tessary::DeepSeekRetry {

namespace {

constexpr std::array<std::chrono::milliseconds, maxAttempts - 1> delays{
    std::chrono::milliseconds(300),  std::chrono::milliseconds(500),  std::chrono::milliseconds(800),
    std::chrono::milliseconds(1200), std::chrono::milliseconds(1500), std::chrono::milliseconds(2000)};

} // namespace

bool isRetryable(TransportError error) {
    switch (error) {
    case TransportError::connectionLost:
    case TransportError::cannotConnect:
    case TransportError::timedOut:
    case TransportError::hostNotFound:
    case TransportError::dnsFailed:
    case TransportError::secureConnectionFailed:
        return true;
    case TransportError::notConnected:
    case TransportError::other:
        return false;
    }
    return false;
}

bool isRetryableStatus(int status) {
    return status == 429 || (status >= 500 && status <= 599);
}

std::chrono::milliseconds delayAfter(int attempt) {
    const int index = std::clamp(attempt, 1, static_cast<int>(delays.size())) - 1;
    return delays[static_cast<std::size_t>(index)];
}

} // namespace tessary::DeepSeekRetry
