#include "Platform/X11/X11Platform.h"

#include "Platform/X11/X11CapturePermission.h"
#include "Platform/X11/X11Connection.h"
#include "Platform/X11/X11DisplayCapture.h"
#include "Platform/X11/X11FrontmostWindow.h"
#include "Platform/X11/X11WindowList.h"

std::unique_ptr<X11Platform> X11Platform::create() {
    std::shared_ptr<X11Connection> connection = X11Connection::fromApplication();
    if (!connection) {
        return nullptr;
    }
    return std::unique_ptr<X11Platform>(new X11Platform(std::move(connection)));
}

X11Platform::X11Platform(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection)),
      m_displayCapture(std::make_unique<X11DisplayCapture>(m_connection)),
      m_windowList(std::make_unique<X11WindowList>(m_connection)),
      m_frontmostWindow(std::make_unique<X11FrontmostWindow>(m_connection)),
      m_capturePermission(std::make_unique<X11CapturePermission>()) {}

X11Platform::~X11Platform() = default;

DisplayCapture& X11Platform::displayCapture() {
    return *m_displayCapture;
}
WindowList& X11Platform::windowList() {
    return *m_windowList;
}
FrontmostWindow& X11Platform::frontmostWindow() {
    return *m_frontmostWindow;
}
CapturePermission& X11Platform::capturePermission() {
    return *m_capturePermission;
}
