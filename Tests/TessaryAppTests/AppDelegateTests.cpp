#include "App/AppDelegate.h"

#include <gtest/gtest.h>

TEST(AppDelegate, StartupDiagnosticsReportTheActualState) {
    const struct {
        QString language;
        std::optional<QString> hotKey;
        bool granted;
        QString loginItem;
        QString expected;
    } cases[] = {
        {QStringLiteral("system"), QStringLiteral("⌃⌥A"), true, QStringLiteral("已关"),
         QStringLiteral("启动完成 · 界面语言=system · 热键=⌃⌥A · 屏幕录制权限=已授权 · 开机自启=已关")},
        {QStringLiteral("ja"), std::nullopt, true, QStringLiteral("已开"),
         QStringLiteral("启动完成 · 界面语言=ja · 热键=注册失败 · 屏幕录制权限=已授权 · 开机自启=已开")},
        {QStringLiteral("en"), QStringLiteral("⇧F5"), false, QStringLiteral("待用户放行"),
         QStringLiteral("启动完成 · 界面语言=en · 热键=⇧F5 · 屏幕录制权限=未授权 · 开机自启=待用户放行")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppDelegate::diagnosticsLine(c.language, c.hotKey, c.granted, c.loginItem), c.expected);
    }
}
