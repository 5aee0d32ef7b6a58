#include "Platform/Wayland/WaylandGlobalHotKeys.h"

#include "Foundation/Log.h"
#include "Platform/Wayland/PortalRequest.h"

bool WaylandGlobalHotKeys::registerHotKey(quint32, const tessary::HotKeyCombination& combination) {
    if (!m_reported) {
        m_reported = true;
        const bool portal =
            PortalRequest::offers(QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), 3000);
        Log::notice(QStringLiteral("热键：Wayland 下由桌面处理 ") +
                    QString::fromStdString(combination.display()) +
                    (portal ? QStringLiteral("（桌面提供全局快捷键门户，但尚未接入）")
                            : QStringLiteral("（桌面不提供全局快捷键门户）")) +
                    QStringLiteral("；请在桌面设置里把 tessary --capture-now 绑定为快捷键。"));
    }
    return false;
}
