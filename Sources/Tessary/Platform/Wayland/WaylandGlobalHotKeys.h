#pragma once

#include "Platform/GlobalHotKeys.h"

// A Wayland client cannot grab keys. Where the desktop offers no global shortcuts portal, the
// user binds `tessary --capture-now` as a desktop shortcut and every registration is refused.
class WaylandGlobalHotKeys : public GlobalHotKeys {
    Q_OBJECT
public:
    using GlobalHotKeys::GlobalHotKeys;

    bool registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) override;
    void unregisterHotKey(quint32) override {}
    bool handledByDesktop() const override { return true; }

private:
    bool m_reported = false;
};
