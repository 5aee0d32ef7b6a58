// Modifier token strings: refused or parsed, and a parsed set writes back to a token of the same set.
#include "TessaryCore/HotKeyModifiers.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto modifiers = tessary::HotKeyModifiers::fromToken(text);
    if (!modifiers) {
        return 0;
    }
    if (modifiers->rawValue > 15 || tessary::HotKeyModifiers::fromToken(modifiers->token()) != modifiers) {
        std::abort();
    }
    (void)modifiers->display();
    return 0;
}
