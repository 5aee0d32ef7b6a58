// The DeepSeek reply parser over arbitrary bytes. Checks, besides memory safety: parse either
// throws a TranslationFailure or gives exactly one entry per expected text; stripping a fence
// twice changes nothing more when the first pass found none.
#include "TessaryCore/DeepSeekReply.h"
#include "TessaryCore/TranslationFailure.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    if (size == 0) {
        return 0;
    }
    // First byte: how many texts the request had.
    const std::size_t expecting = data[0] % 8;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        if (DeepSeekReply::parse(text, expecting).size() != expecting) {
            std::abort();
        }
    } catch (const TranslationFailure& failure) {
        if (failure.kind() != TranslationFailure::Kind::invalidResponse &&
            failure.kind() != TranslationFailure::Kind::countMismatch) {
            std::abort();
        }
        if (failure.kind() == TranslationFailure::Kind::countMismatch &&
            (failure.firstNumber() != static_cast<int>(expecting) ||
             failure.secondNumber() >= failure.firstNumber())) {
            std::abort();
        }
    }
    const std::string stripped = DeepSeekReply::stripCodeFence(text);
    if (stripped.rfind("```", 0) != 0 && DeepSeekReply::stripCodeFence(stripped) != stripped) {
        std::abort();
    }
    (void)DeepSeekReply::errorBodyExcerpt(text);
    return 0;
}
