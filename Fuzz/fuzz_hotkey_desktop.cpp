// The desktop shortcut tables are read from other programs' settings: gsettings output and the KDE
// shortcut file. The first byte picks the reader, the rest is its input.
#include "TessaryCore/HotKeyDesktopShortcuts.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    using namespace tessary::HotKeyDesktopShortcuts;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 5) {
    case 0:
        (void)fromGtkAccelerator(text);
        break;
    case 1:
        (void)fromQtShortcut(text);
        break;
    case 2:
        for (const std::string& item : gvariantStrings(text)) {
            (void)fromGtkAccelerator(item);
        }
        break;
    case 3:
        (void)combinationsInGsettingsListing(text);
        break;
    default:
        (void)combinationsInKdeGlobalShortcuts(text);
        break;
    }
    return 0;
}
