#pragma once

#include "Platform/FrontmostWindow.h"

#include <QList>

// A pretend focused window; records every activation.
class FakeFrontmostWindow : public FrontmostWindow {
public:
    Handle current() override { return m_current; }
    void activate(Handle window) override;

    void setCurrent(Handle window) { m_current = window; }
    const QList<Handle>& activations() const { return m_activations; }

private:
    Handle m_current = 0;
    QList<Handle> m_activations;
};
