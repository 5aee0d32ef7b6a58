// Stored hot-key settings come from a user-editable file: any bytes must parse or be refused cleanly,
// and whatever parses must write back to a form that parses to the same combination.
#include "TessaryCore/HotKeyCombination.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto combination = tessary::HotKeyCombination::fromPersistedString(text);
    if (!combination) {
        return 0;
    }
    const std::string written = combination->persistedString();
    if (tessary::HotKeyCombination::fromPersistedString(written) != combination) {
        std::abort();
    }
    // Display and validation must hold for every parsed value, however odd its key code.
    (void)combination->display();
    (void)combination->linuxDisplay();
    (void)combination->rejection();
    return 0;
}
