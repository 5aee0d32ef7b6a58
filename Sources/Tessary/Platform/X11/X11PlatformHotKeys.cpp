// The hot-key services of the X11 backend, kept apart from the capture services.
#include "Platform/X11/X11GlobalHotKeys.h"
#include "Platform/X11/X11Platform.h"
#include "Platform/X11/X11SystemShortcuts.h"

GlobalHotKeys& X11Platform::globalHotKeys() {
    if (!m_globalHotKeys) {
        m_globalHotKeys = std::make_shared<X11GlobalHotKeys>(m_connection);
    }
    return *m_globalHotKeys;
}

SystemShortcutTable& X11Platform::systemShortcuts() {
    if (!m_systemShortcuts) {
        m_systemShortcuts = std::make_shared<X11SystemShortcuts>();
    }
    return *m_systemShortcuts;
}
