#pragma once

#include "HotKeys/GlobalHotKey.h"
#include "TessaryCore/HotKeyCombination.h"

#include <QObject>

#include <memory>
#include <optional>

class GlobalHotKeys;
class SystemShortcutTable;

// Owns the application's one capture hot key: registers the stored choice at launch (falling back
// to the default when another application holds it) and applies the user's new choices.
// Main thread only.
class HotKeyController : public QObject {
    Q_OBJECT
public:
    struct ApplyResult {
        enum class Kind { applied, rejected, conflict, systemReserved };

        Kind kind = Kind::conflict;
        // Set for `applied`.
        std::optional<tessary::HotKeyCombination> combination;
        // Set for `rejected`.
        std::optional<tessary::HotKeyCombination::Rejection> rejection;

        static ApplyResult applied(const tessary::HotKeyCombination& combination) {
            return {Kind::applied, combination, std::nullopt};
        }
        static ApplyResult rejected(tessary::HotKeyCombination::Rejection reason) {
            return {Kind::rejected, std::nullopt, reason};
        }
        static ApplyResult conflict() { return {Kind::conflict, std::nullopt, std::nullopt}; }
        static ApplyResult systemReserved() { return {Kind::systemReserved, std::nullopt, std::nullopt}; }

        friend bool operator==(const ApplyResult&, const ApplyResult&) = default;
    };

    HotKeyController(GlobalHotKeys& backend, SystemShortcutTable& systemShortcuts, QObject* parent = nullptr);
    ~HotKeyController() override;

    // Once at launch: the stored choice, else the default.
    void activate();
    // A new choice from the preferences.
    ApplyResult apply(const tessary::HotKeyCombination& combination);

    // Releases the grab while the recorder listens, so pressing the current combination reaches the
    // window; resume() grabs the active combination again. apply() resumes first. Both idempotent.
    void suspend();
    void resume();
    bool isSuspended() const { return m_suspended; }

    // What is registered now; nothing when no combination could be registered.
    std::optional<tessary::HotKeyCombination> active() const { return m_active; }
    // activate() registered the default because the stored choice was held elsewhere.
    bool fellBackToDefault() const { return m_fellBackToDefault; }
    // Whether the desktop owns global shortcuts here (the user binds `tessary --capture-now` there).
    bool handledByDesktop() const;

Q_SIGNALS:
    // The capture hot key was pressed (main thread, on a later loop turn than the key event).
    void triggered();

private:
    std::unique_ptr<GlobalHotKey> registerCombination(const tessary::HotKeyCombination& combination);
    void handlePress(quint32 id);

    GlobalHotKeys& m_backend;
    SystemShortcutTable& m_systemShortcuts;
    // Spent on every attempt, so a press queued for an earlier registration never matches a later one.
    quint32 m_nextID = 1;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    std::optional<tessary::HotKeyCombination> m_active;
    bool m_fellBackToDefault = false;
    bool m_suspended = false;
};
