// The cloud service's reply decoders over arbitrary bytes. Checks, besides memory safety: a
// translation either throws invalidResponse / countMismatch(expecting, fewer) or gives exactly one
// text per item sent; an error keeps its status; a decoded quota stored and read back is the same
// quota to the second.
#include "TessaryCore/CloudAPIError.h"
#include "TessaryCore/CloudReply.h"
#include "TessaryCore/TranslationFailure.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void checkFailure(const tessary::TranslationFailure& failure, std::size_t expecting) {
    using Kind = tessary::TranslationFailure::Kind;
    if (failure.kind() == Kind::invalidResponse) {
        return;
    }
    if (failure.kind() != Kind::countMismatch || failure.firstNumber() != static_cast<int>(expecting) ||
        failure.secondNumber() >= failure.firstNumber()) {
        std::abort();
    }
}

void checkQuota(const tessary::CloudQuota& quota) {
    // Stored quotas keep whole seconds.
    tessary::CloudQuota whole = quota;
    whole.resetAt = std::chrono::floor<std::chrono::seconds>(quota.resetAt);
    if (tessary::CloudReply::storedQuota(tessary::CloudReply::encodeQuota(quota)) != whole) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    if (size == 0) {
        return 0;
    }
    // First byte: how many texts the request had.
    const std::size_t expecting = data[0] % 8;
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const CloudReply::Translation translation = CloudReply::translation(body, expecting);
        if (translation.texts.size() != expecting) {
            std::abort();
        }
        checkQuota(translation.quota);
    } catch (const TranslationFailure& failure) {
        checkFailure(failure, expecting);
    }
    try {
        checkQuota(CloudReply::authentication(body).quota);
    } catch (const TranslationFailure& failure) {
        checkFailure(failure, 0);
    }
    if (const auto quota = CloudReply::storedQuota(body)) {
        checkQuota(*quota);
    }
    const int status = 400 + data[0];
    const CloudAPIError error = CloudAPIError::fromResponse(status, body);
    if (error.status() != status) {
        std::abort();
    }
    return 0;
}
