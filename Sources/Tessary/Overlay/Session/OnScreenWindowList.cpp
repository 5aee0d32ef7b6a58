#include "Overlay/Session/OnScreenWindowList.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Platform/WindowList.h"
#include "TessaryCore/WindowGeometry.h"

#include <QCoreApplication>

namespace OnScreenWindowList {

std::vector<tessary::OnScreenWindow> snapshot(WindowList& windowList) {
    std::optional<std::vector<tessary::WindowDescription>> list = windowList.onScreenWindows();
    if (!list) {
        Log::error(QStringLiteral("窗口吸附：取不到窗口列表，本次截图将只有自由框选。"));
        return {};
    }
    // The filter wants window-server space: y down with the origin at the primary display's top-left.
    const QRectF primary = CoordinateSpace::primaryGeometry();
    for (tessary::WindowDescription& window : *list) {
        if (window.bounds) {
            window.bounds = window.bounds->offsetBy(-primary.left(), -primary.top());
        }
    }
    std::vector<tessary::OnScreenWindow> windows =
        OnScreenWindowList::windows(*list, QCoreApplication::applicationPid(), primary.height());
    Log::info(QStringLiteral("窗口吸附：快照到 ") + QString::number(windows.size()) +
              QStringLiteral(" 个候选窗口。"));
    return windows;
}

std::vector<tessary::OnScreenWindow> windows(const std::vector<tessary::WindowDescription>& descriptions,
                                             std::int64_t excludingPID, double primaryDisplayHeight) {
    return tessary::WindowGeometry::candidateWindows(descriptions, excludingPID, primaryDisplayHeight);
}

} // namespace OnScreenWindowList
