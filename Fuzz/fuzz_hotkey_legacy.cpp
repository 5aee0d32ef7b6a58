// Legacy identifiers: an exact-match table, so anything that matches must be one of its five entries
// and must convert to a valid, storable combination.
#include "TessaryCore/HotKeyCombination.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto combination = tessary::HotKeyCombination::fromLegacyIdentifier(text);
    if (!combination) {
        return 0;
    }
    if (size < 10 || size > 11 || combination->rejection() ||
        tessary::HotKeyCombination::fromPersistedString(combination->persistedString()) != combination) {
        std::abort();
    }
    return 0;
}
