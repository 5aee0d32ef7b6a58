#pragma once

#include "Platform/GlobalHotKeys.h"

#include <map>
#include <unordered_set>

// Grabs in memory. Combinations marked as held by other applications are refused; tests press a
// combination to reach whatever is registered for it.
class FakeGlobalHotKeys : public GlobalHotKeys {
    Q_OBJECT
public:
    using GlobalHotKeys::GlobalHotKeys;

    bool registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) override;
    void unregisterHotKey(quint32 id) override;

    void setHeldByOthers(std::unordered_set<tessary::HotKeyCombination> combinations);
    const std::map<quint32, tessary::HotKeyCombination>& registrations() const { return m_registrations; }
    int registrationAttempts() const { return m_attempts; }

    // Emits `pressed` for every registration of the combination, as the desktop would; false when
    // nothing is registered for it.
    bool press(const tessary::HotKeyCombination& combination);

private:
    std::map<quint32, tessary::HotKeyCombination> m_registrations;
    std::unordered_set<tessary::HotKeyCombination> m_heldByOthers;
    int m_attempts = 0;
};
