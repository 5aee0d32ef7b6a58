#include "HotKeys/SystemHotKeyRegistry.h"

#include "Foundation/Log.h"
#include "Platform/SystemShortcutTable.h"

#include <QString>

std::unordered_set<tessary::HotKeyCombination>
SystemHotKeyRegistry::enabledCombinations(SystemShortcutTable& table) {
    if (auto combinations = table.enabledCombinations()) {
        return std::move(*combinations);
    }
    Log::info(QStringLiteral("系统快捷键表读不到，跳过系统级冲突检测。"));
    return {};
}
