#pragma once

#include "Foundation/Setting.h"
#include "HotKeys/HotKeyRecorderView.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AccountPaneModel;
class HotKeyController;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QVBoxLayout;
class TranslationPaneModel;
class UpdateCardModel;

// What the translate and account panes and the update card show; null until that subsystem exists.
struct PreferencesModels {
    TranslationPaneModel* translation = nullptr;
    AccountPaneModel* account = nullptr;
    UpdateCardModel* update = nullptr;
};

// The single preferences window: a sidebar of four panes and the selected pane's page, built in
// code. Every control writes its setting at once; the window follows the language live.
class PreferencesWindowController : public QWidget {
    Q_OBJECT
public:
    enum class Pane { general, capture, translate, account };

    using Models = PreferencesModels;

    static constexpr const char* lastPaneKey = "prefs.lastPane";
    static const TextSetting& lastPaneSetting();
    static QString rawValue(Pane pane);
    static std::optional<Pane> paneFromRawValue(const QString& raw);

    // `hotKeys` outlives the window; models may be null until their subsystem exists.
    PreferencesWindowController(HotKeyController& hotKeys, std::function<void()> onHotKeyChange,
                                Models models = {}, QWidget* parent = nullptr);
    ~PreferencesWindowController() override;

    Pane pane() const { return m_pane; }
    void select(Pane pane);
    HotKeyRecorderView* recorder() const { return m_recorder; }
    void rebuild();
    // Shows the outcome of a launch-at-login change; no message re-reads the status alone.
    void syncLaunchAtLoginUI(const std::optional<QString>& message = std::nullopt);

    // Renders the window's contents to a PNG file; returns the error line, empty on success.
    QString writeWindowShot(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildPage(Pane pane);
    QWidget* buildGeneralPage();
    QWidget* buildCapturePage();
    QWidget* buildTranslatePage();
    QWidget* buildAccountPage();
    void buildSidebar();
    void refitWindow();
    void commitDeepSeekFields();
    void stopRecording();
    void showHotKeyMessage(const QString& symbol, const QString& text);
    void syncSaveUI();
    void syncUpdateUI();
    void toggleLaunchAtLogin(bool on);
    void openLoginItemsSettings();
    void chooseDirectory();
    void restoreDefaultHotKey();
    void submitVelmoraForm();

    HotKeyController& m_hotKeys;
    std::function<void()> m_onHotKeyChange;
    Models m_models;
    Pane m_pane = Pane::general;
    bool m_isRebuilding = false;
    bool m_advancedExpanded = false;
    // Nothing: no form; false: login; true: registration.
    std::optional<bool> m_velmoraRegisterForm;

    QListWidget* m_sidebar = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPointer<HotKeyRecorderView> m_recorder;
    QPointer<QWidget> m_messageRow;
    QPointer<QLabel> m_messageIcon;
    QPointer<QLabel> m_messageLabel;
    QPointer<QLabel> m_pathLabel;
    QPointer<QLabel> m_pathMessage;
    QPointer<QCheckBox> m_alwaysAskSwitch;
    QPointer<QLineEdit> m_deepSeekKeyField;
    QPointer<QLineEdit> m_deepSeekModelField;
    QString m_deepSeekKeyShown;
    QPointer<QLabel> m_velmoraErrorLabel;
    QPointer<QLineEdit> m_velmoraEmailField;
    QPointer<QLineEdit> m_velmoraPasswordField;
    QPointer<QCheckBox> m_launchAtLoginSwitch;
    QPointer<QLabel> m_launchAtLoginMessage;
    QPointer<QWidget> m_loginItemsRow;
    QPointer<QLabel> m_updateStatusLabel;
    QPointer<QWidget> m_updateDownloadButton;
};
