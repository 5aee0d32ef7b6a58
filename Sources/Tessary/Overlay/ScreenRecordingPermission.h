#pragma once

#include <QString>

#include <functional>

// Tells the user what to do when reading the screen is not allowed.
namespace ScreenRecordingPermission {

// Logs the refusal, shows the permission notice through the installed presenter and logs it.
void presentGuidance();

// The notice text in the current language.
QString guidanceText();

// Whoever owns notices (the notice panel) installs how to show one: text, no anchor, no click action.
using NoticePresenter = std::function<void(const QString& text)>;
void setNoticePresenter(NoticePresenter presenter);

} // namespace ScreenRecordingPermission
