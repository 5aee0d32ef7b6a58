#include "HotKeys/HotKeyController.h"

#include "App/Log.h"
#include "HotKeys/SystemHotKeyRegistry.h"

#include <QPointer>
#include <QSettings>

using tessary::HotKeyCombination;

namespace {

QString display(const HotKeyCombination& combination) {
    return QString::fromStdString(combination.display());
}

} // namespace

HotKeyController::HotKeyController(std::function<void()> action, QObject* parent)
    : QObject(parent), m_action(std::move(action)) {}

HotKeyController::~HotKeyController() = default;

std::unique_ptr<GlobalHotKey> HotKeyController::registerCombination(const HotKeyCombination& combination) {
    // The queued press may outlive the controller.
    QPointer<HotKeyController> weak(this);
    return GlobalHotKey::registerHotKey(combination, [weak] {
        if (!weak) {
            return;
        }
        if (weak->m_action) {
            weak->m_action();
        }
        if (weak) {
            Q_EMIT weak->triggered();
        }
    });
}

void HotKeyController::activate() {
    const HotKeyCombination defaultCombination = HotKeyCombination::defaultCombination();
    const HotKeyCombination combination = GlobalHotKey::Preference::selected().value_or(defaultCombination);
    m_hotKey.reset();
    if ((m_hotKey = registerCombination(combination))) {
        m_active = combination;
        m_fellBackToDefault = false;
        return;
    }
    Log::info(QStringLiteral("全局热键：") + display(combination) +
              QStringLiteral(" 已被其他应用占用，尝试回落到默认组合。"));
    if (combination != defaultCombination && (m_hotKey = registerCombination(defaultCombination))) {
        m_active = defaultCombination;
        m_fellBackToDefault = true;
        Log::info(QStringLiteral("全局热键：实际生效的是默认组合 ") + display(defaultCombination) +
                  QStringLiteral("。"));
        return;
    }
    m_active.reset();
    Log::error(QStringLiteral("全局热键注册失败：") + display(combination) +
               QStringLiteral(" 与默认组合都已被其他应用占用。请从菜单栏发起截图。"));
}

HotKeyController::ApplyResult HotKeyController::apply(const HotKeyCombination& combination) {
    if (const auto rejection = combination.rejection()) {
        return ApplyResult::rejected(*rejection);
    }
    if (m_active == combination) {
        return ApplyResult::applied(combination);
    }
    if (SystemHotKeyRegistry::enabledCombinations().count(combination)) {
        Log::info(QStringLiteral("全局热键：") + display(combination) +
                  QStringLiteral(" 是 macOS 系统保留的组合，保持原有热键。"));
        return ApplyResult::systemReserved();
    }
    const std::optional<HotKeyCombination> previous = m_active;
    // Released first so that a press can never reach both.
    m_hotKey.reset();
    if ((m_hotKey = registerCombination(combination))) {
        m_active = combination;
        m_fellBackToDefault = false;
        QSettings().setValue(QLatin1String(GlobalHotKey::Preference::combinationKey),
                             QString::fromStdString(combination.persistedString()));
        Log::info(QStringLiteral("全局热键：用户改为 ") + display(combination) + QStringLiteral("。"));
        return ApplyResult::applied(combination);
    }
    if (previous && (m_hotKey = registerCombination(*previous))) {
        m_active = previous;
    } else {
        m_active.reset();
        Log::error(QStringLiteral("全局热键：新组合 ") + display(combination) +
                   QStringLiteral(" 注册失败，且旧组合也没能恢复。请从菜单栏发起截图。"));
    }
    Log::info(QStringLiteral("全局热键：") + display(combination) +
              QStringLiteral(" 已被其他应用占用，保持原有热键。"));
    return ApplyResult::conflict();
}
