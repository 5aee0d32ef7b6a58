#pragma once

#include "Platform/WindowList.h"

// A scripted window list; empty until a test sets one. Setting nothing makes the list unreadable.
class FakeWindowList : public WindowList {
public:
    std::optional<std::vector<tessary::WindowDescription>> onScreenWindows() override { return m_windows; }

    void setWindows(std::optional<std::vector<tessary::WindowDescription>> windows) {
        m_windows = std::move(windows);
    }

private:
    std::optional<std::vector<tessary::WindowDescription>> m_windows =
        std::vector<tessary::WindowDescription>{};
};
