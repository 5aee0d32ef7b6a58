#include "Overlay/Session/ScreenRecordingPermission.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"

namespace ScreenRecordingPermission {

namespace {
NoticePresenter& presenter() {
    static NoticePresenter instance;
    return instance;
}
} // namespace

QString guidanceText() {
    return L10n::text(QStringLiteral("permission.notice"));
}

void setNoticePresenter(NoticePresenter notice) {
    presenter() = std::move(notice);
}

void presentUnavailable(const QString& reason) {
    Log::error(QStringLiteral("抓屏失败：") + reason);
    if (presenter()) {
        presenter()(reason);
    }
    Log::info(QStringLiteral("提示：") + reason);
}

void presentGuidance() {
    Log::error(QStringLiteral("屏幕录制权限未授权，已提示用户去系统设置开。"));
    const QString text = guidanceText();
    if (presenter()) {
        presenter()(text);
    }
    Log::info(QStringLiteral("提示：") + text);
}

} // namespace ScreenRecordingPermission
