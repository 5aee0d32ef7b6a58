#include "HotKeys/HotKeyController.h"

#include "Foundation/Log.h"
#include "HotKeys/HotKeySettings.h"
#include "HotKeys/SystemHotKeyRegistry.h"
#include "Platform/GlobalHotKeys.h"

using tessary::HotKeyCombination;

namespace {

QString display(const HotKeyCombination& combination) {
    return QString::fromStdString(combination.display());
}

} // namespace

HotKeyController::HotKeyController(GlobalHotKeys& backend, SystemShortcutTable& systemShortcuts,
                                   QObject* parent)
    : QObject(parent), m_backend(backend), m_systemShortcuts(systemShortcuts) {
    // The backend reports presses inside the key event: act on the next loop turn.
    connect(&m_backend, &GlobalHotKeys::pressed, this, &HotKeyController::handlePress, Qt::QueuedConnection);
}

HotKeyController::~HotKeyController() = default;

std::unique_ptr<GlobalHotKey> HotKeyController::registerCombination(const HotKeyCombination& combination) {
    return GlobalHotKey::registerHotKey(m_backend, m_nextID++, combination);
}

void HotKeyController::handlePress(quint32 id) {
    if (m_hotKey && m_hotKey->id() == id) {
        Q_EMIT triggered();
    }
}

void HotKeyController::activate() {
    const HotKeyCombination defaultCombination = HotKeyCombination::defaultCombination();
    const HotKeyCombination combination = HotKeySettings::selected().value_or(defaultCombination);
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

void HotKeyController::suspend() {
    if (m_suspended || !m_hotKey) {
        return;
    }
    m_suspended = true;
    m_hotKey.reset();
}

void HotKeyController::resume() {
    if (!m_suspended) {
        return;
    }
    m_suspended = false;
    if (m_active && !(m_hotKey = registerCombination(*m_active))) {
        Log::error(QStringLiteral("全局热键：录制结束后 ") + display(*m_active) +
                   QStringLiteral(" 没能重新注册（已被其他应用占用）。请在偏好设置里换一个组合。"));
        m_active.reset();
    }
}

HotKeyController::ApplyResult HotKeyController::apply(const HotKeyCombination& combination) {
    resume();
    if (const auto rejection = combination.rejection()) {
        return ApplyResult::rejected(*rejection);
    }
    if (m_active == combination) {
        return ApplyResult::applied(combination);
    }
    if (SystemHotKeyRegistry::enabledCombinations(m_systemShortcuts).count(combination)) {
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
        HotKeySettings::store(combination);
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

bool HotKeyController::handledByDesktop() const {
    return m_backend.handledByDesktop();
}
