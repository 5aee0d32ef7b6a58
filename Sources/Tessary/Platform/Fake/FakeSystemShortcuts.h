#pragma once

#include "Platform/SystemShortcutTable.h"

// A settable shortcut table; readable and empty until a test says otherwise.
class FakeSystemShortcuts : public SystemShortcutTable {
public:
    std::optional<std::unordered_set<tessary::HotKeyCombination>> enabledCombinations() override {
        ++m_reads;
        return m_combinations;
    }

    // Nothing = the table cannot be read.
    void setCombinations(std::optional<std::unordered_set<tessary::HotKeyCombination>> combinations) {
        m_combinations = std::move(combinations);
    }
    int reads() const { return m_reads; }

private:
    std::optional<std::unordered_set<tessary::HotKeyCombination>> m_combinations =
        std::unordered_set<tessary::HotKeyCombination>{};
    int m_reads = 0;
};
