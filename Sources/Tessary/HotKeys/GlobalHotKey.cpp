#include "HotKeys/GlobalHotKey.h"

#include "Platform/GlobalHotKeys.h"

std::unique_ptr<GlobalHotKey> GlobalHotKey::registerHotKey(GlobalHotKeys& backend, quint32 id,
                                                           const tessary::HotKeyCombination& combination) {
    if (!backend.registerHotKey(id, combination)) {
        return nullptr;
    }
    return std::unique_ptr<GlobalHotKey>(new GlobalHotKey(backend, id, combination));
}

GlobalHotKey::GlobalHotKey(GlobalHotKeys& backend, quint32 id, const tessary::HotKeyCombination& combination)
    : m_backend(backend), m_id(id), m_combination(combination) {}

GlobalHotKey::~GlobalHotKey() {
    m_backend.unregisterHotKey(m_id);
}
