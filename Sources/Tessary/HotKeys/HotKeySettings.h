#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <optional>

// The stored choice of capture hot key: its keys, migration from the legacy form, and writing it.
class HotKeySettings {
public:
    static constexpr const char* combinationKey = "TessaryHotKeyCombination";
    static constexpr const char* legacyIdentifierKey = "TessaryHotKeyIdentifier";

    // The parse of the stored combination; a known legacy identifier is migrated on the way
    // (written in the current form, the old key removed). Nothing when no usable choice is stored.
    static std::optional<tessary::HotKeyCombination> selected();
    static void store(const tessary::HotKeyCombination& combination);
};
