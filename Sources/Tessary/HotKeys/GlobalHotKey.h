#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// One system-wide registration of a combination. Presses run the action on the next turn of the main
// event loop, outside the key event that delivered them. Destroying the object unregisters it.
class GlobalHotKey {
public:
    using Action = std::function<void()>;

    // Nothing when the desktop refuses (typically because another application holds it).
    static std::unique_ptr<GlobalHotKey> registerHotKey(const tessary::HotKeyCombination& combination,
                                                        Action action);
    ~GlobalHotKey();

    GlobalHotKey(const GlobalHotKey&) = delete;
    GlobalHotKey& operator=(const GlobalHotKey&) = delete;

    quint32 id() const { return m_id; }
    const tessary::HotKeyCombination& combination() const { return m_combination; }

    // The stored choice of capture hot key.
    struct Preference {
        static constexpr const char* combinationKey = "TessaryHotKeyCombination";
        static constexpr const char* legacyIdentifierKey = "TessaryHotKeyIdentifier";

        // The parse of the stored combination; a known legacy identifier is migrated on the way
        // (written in the current form, the old key removed). Nothing when no usable choice is stored.
        static std::optional<tessary::HotKeyCombination> selected();
    };

private:
    GlobalHotKey(quint32 id, const tessary::HotKeyCombination& combination);

    quint32 m_id;
    tessary::HotKeyCombination m_combination;
};
