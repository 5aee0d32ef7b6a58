#pragma once

#include <QString>

#include <functional>

// Tells the user what to do when reading the screen is not allowed.
namespace ScreenRecordingPermission {

// Logs the refusal, shows the permission notice through the installed presenter and logs it.
void presentGuidance();

// Logs that no capture can work in this session and shows `reason` (a user-facing sentence).
void presentUnavailable(const QString& reason);

// The notice text in the current language.
QString guidanceText();

// Whoever owns notices (the notice panel) installs how to show one: text, no anchor, no click action.
using NoticePresenter = std::function<void(const QString& text)>;
void setNoticePresenter(NoticePresenter presenter);

} // namespace ScreenRecordingPermission
