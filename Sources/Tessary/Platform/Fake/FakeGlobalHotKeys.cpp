#include "Platform/Fake/FakeGlobalHotKeys.h"

bool FakeGlobalHotKeys::registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) {
    ++m_attempts;
    if (m_heldByOthers.count(combination) || m_registrations.count(id)) {
        return false;
    }
    for (const auto& [otherId, registered] : m_registrations) {
        if (registered == combination) {
            return false;
        }
    }
    m_registrations.emplace(id, combination);
    return true;
}

void FakeGlobalHotKeys::unregisterHotKey(quint32 id) {
    m_registrations.erase(id);
}

void FakeGlobalHotKeys::setHeldByOthers(std::unordered_set<tessary::HotKeyCombination> combinations) {
    m_heldByOthers = std::move(combinations);
}

bool FakeGlobalHotKeys::press(const tessary::HotKeyCombination& combination) {
    for (const auto& [id, registered] : m_registrations) {
        if (registered == combination) {
            Q_EMIT pressed(id);
            return true;
        }
    }
    return false;
}
