#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <optional>
#include <unordered_set>

// The desktop's own enabled keyboard shortcuts, so that a capture shortcut the desktop reserves is
// refused before it is registered.
class SystemShortcutTable {
public:
    virtual ~SystemShortcutTable() = default;

    // Read afresh on every call; nothing when no table of the running desktop could be read.
    virtual std::optional<std::unordered_set<tessary::HotKeyCombination>> enabledCombinations() = 0;
};
