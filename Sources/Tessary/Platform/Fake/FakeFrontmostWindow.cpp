#include "Platform/Fake/FakeFrontmostWindow.h"

void FakeFrontmostWindow::activate(Handle window) {
    if (window == 0) {
        return;
    }
    m_activations.append(window);
    m_current = window;
}
