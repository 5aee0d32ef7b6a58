#pragma once

#include "TessaryCore/HotKeyCombination.h"
#include "TessaryCore/LaunchOptions.h"

#include <QKeySequence>

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class HotKeyController;
class OverlayCoordinator;
class PreferencesWindowController;
class AccountPaneAdapter;
class TranslationPaneAdapter;
class UpdateCardAdapter;
class Platform;
class ScreenCapturer;
class TextRecognizer;
class QAction;
class QMenu;
class QSystemTrayIcon;
class UpdateChecker;
class VelmoraClient;

// Root owner of the running program: parses the switches, runs the launch sequence,
// owns the tray icon with its menu, the capture coordinator and the hot-key controller.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // `platform` outlives the delegate.
    AppDelegate(const QStringList& arguments, Platform& platform, QObject* parent = nullptr);
    // With a given update checker instead of the process-wide one.
    AppDelegate(const QStringList& arguments, Platform& platform, UpdateChecker& updates,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    const tessary::LaunchOptions& options() const { return m_options; }
    QMenu* menu() const { return m_menu.get(); }
    QSystemTrayIcon* statusItem() const { return m_statusItem.get(); }

    void applicationDidFinishLaunching();
    void startCapture();
    // The capture hot key: starts a capture, or finishes a running scrolling capture.
    void captureHotKeyPressed();
    void restartApp();
    void rebuildMenu();
    void logStartupDiagnostics();
    void announceMissingTray();
    void syncHotKeyIntoUI();
    // Shows the update item while a newer release is available, hides it otherwise.
    void syncUpdateMenuItem();
    void openUpdateDownload();
    QAction* updateMenuItem() const;
    void openPreferences();
    PreferencesWindowController* preferences() const { return m_preferences.get(); }

    // Created on first use.
    HotKeyController& hotKeys();
    OverlayCoordinator& coordinator();
    UpdateChecker& updates();
    // The capture item's shortcut text for the active hot key, empty without one.
    static QKeySequence menuShortcut(const std::optional<tessary::HotKeyCombination>& combination);

    // The restart script: waits for this process to exit, then starts the executable again.
    static QString restartScript(qint64 pid, const QString& executablePath);
    static QString shellQuoted(const QString& text);
    static QString diagnosticsLine(const QString& language, const std::optional<QString>& hotKey,
                                   bool captureGranted, const QString& loginItem);

private:
    void setUpStatusItem();
    void applyAppearanceSwitch();
    void runDevLaunchAtLogin(const QString& value);
    void runDevPreferencesScriptIfNeeded();
    void postSyntheticHotKey(const tessary::HotKeyCombination& combination);
    void startRecordingForScript();
    // The application's one cloud client, for the account pane and the translation engines.
    VelmoraClient& cloudClient();

    QStringList m_arguments;
    tessary::LaunchOptions m_options;
    Platform& m_platform;
    std::unique_ptr<ScreenCapturer> m_capturer;
    std::unique_ptr<TextRecognizer> m_recognizer;
    // Before everything that uses it, so it goes last.
    std::unique_ptr<VelmoraClient> m_cloudClient;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<QMenu> m_menu;
    QPointer<QAction> m_permissionMenuItem;
    QPointer<QAction> m_updateMenuItem;
    std::unique_ptr<HotKeyController> m_hotKeys;
    std::unique_ptr<OverlayCoordinator> m_coordinator;
    UpdateChecker* m_updates = nullptr;
    std::unique_ptr<TranslationPaneAdapter> m_translationPane;
    std::unique_ptr<AccountPaneAdapter> m_accountPane;
    std::unique_ptr<UpdateCardAdapter> m_updateCard;
    std::unique_ptr<PreferencesWindowController> m_preferences;
    QString m_hotKeyDisplay;
};
