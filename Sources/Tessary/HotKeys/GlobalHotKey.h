#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <QtGlobal>

#include <memory>

class GlobalHotKeys;

// One system-wide registration of a combination under the caller's identifier. Destroying the object
// unregisters it; presses arrive through the backend's `pressed` signal.
class GlobalHotKey {
public:
    // Nothing when the desktop refuses (typically because another application holds it).
    static std::unique_ptr<GlobalHotKey> registerHotKey(GlobalHotKeys& backend, quint32 id,
                                                        const tessary::HotKeyCombination& combination);
    ~GlobalHotKey();

    GlobalHotKey(const GlobalHotKey&) = delete;
    GlobalHotKey& operator=(const GlobalHotKey&) = delete;

    quint32 id() const { return m_id; }
    const tessary::HotKeyCombination& combination() const { return m_combination; }

private:
    GlobalHotKey(GlobalHotKeys& backend, quint32 id, const tessary::HotKeyCombination& combination);

    GlobalHotKeys& m_backend;
    quint32 m_id;
    tessary::HotKeyCombination m_combination;
};
