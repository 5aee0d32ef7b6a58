#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <unordered_set>

class SystemShortcutTable;

// The desktop's own enabled shortcuts as combinations, read afresh on each call. When no table can
// be read the set is empty (and that is logged), so every combination passes this check.
namespace SystemHotKeyRegistry {
std::unordered_set<tessary::HotKeyCombination> enabledCombinations(SystemShortcutTable& table);
}
