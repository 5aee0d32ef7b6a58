#include "HotKeys/SystemHotKeyRegistry.h"

#include "App/Log.h"
#include "Platform/Platform.h"
#include "Platform/SystemShortcutTable.h"

std::unordered_set<tessary::HotKeyCombination> SystemHotKeyRegistry::enabledCombinations() {
    if (auto combinations = Platform::instance().systemShortcuts().enabledCombinations()) {
        return std::move(*combinations);
    }
    Log::info(QStringLiteral("系统快捷键表读不到，跳过系统级冲突检测。"));
    return {};
}
