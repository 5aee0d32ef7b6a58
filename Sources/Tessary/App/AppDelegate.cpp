#include "App/AppDelegate.h"

#include "App/AccountPaneAdapter.h"
#include "App/MenuIcon.h"
#include "App/StatusItemImage.h"
#include "App/TranslationPaneAdapter.h"
#include "App/UpdateCardAdapter.h"
#include "Cloud/SelectedTranslationEngine.h"
#include "Cloud/VelmoraClient.h"
#include "Foundation/CoordinateSpace.h"
#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "HotKeys/HotKeyController.h"
#include "HotKeys/HotKeyQtKeys.h"
#include "HotKeys/HotKeyRecorderView.h"
#include "Overlay/Bars/ToolIconRenderer.h"
#include "Overlay/Session/NoticePanel.h"
#include "Overlay/Session/OverlayCoordinator.h"
#include "Overlay/Session/ScreenCapturer.h"
#include "Overlay/Session/TranslationSession.h"
#include "Platform/CapturePermission.h"
#include "Platform/GlobalHotKeys.h"
#include "Platform/Platform.h"
#include "Preferences/LaunchAtLogin.h"
#include "Preferences/PreferencesWindowController.h"
#include "Recognition/TextRecognizer.h"
#include "TessaryCore/MenuKey.h"
#include "Translation/APIKeyStore.h"
#include "Translation/TranslationSettings.h"
#include "Updates/UpdateChecker.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

std::vector<std::string> toStdArguments(const QStringList& arguments) {
    std::vector<std::string> result;
    result.reserve(static_cast<size_t>(arguments.size()));
    for (const QString& argument : arguments) {
        result.push_back(argument.toStdString());
    }
    return result;
}

// Last "="-piece of the first argument starting with `prefix`, empty pieces dropped.
QString lastPieceOfSwitch(const QStringList& arguments, const QString& prefix) {
    for (const QString& argument : arguments) {
        if (argument.startsWith(prefix)) {
            const QStringList pieces = argument.split(QLatin1Char('='), Qt::SkipEmptyParts);
            return pieces.isEmpty() ? QString() : pieces.last();
        }
    }
    return {};
}

} // namespace

AppDelegate::AppDelegate(const QStringList& arguments, Platform& platform, QObject* parent)
    : QObject(parent), m_arguments(arguments),
      m_options(tessary::LaunchOptions::parse(toStdArguments(arguments))), m_platform(platform),
      m_capturer(std::make_unique<ScreenCapturer>(platform.displayCapture(), platform.capturePermission())),
      m_recognizer(std::make_unique<TextRecognizer>()) {}

AppDelegate::AppDelegate(const QStringList& arguments, Platform& platform, UpdateChecker& updates,
                         QObject* parent)
    : AppDelegate(arguments, platform, parent) {
    m_updates = &updates;
}

AppDelegate::~AppDelegate() = default;

UpdateChecker& AppDelegate::updates() {
    if (!m_updates) {
        m_updates = &UpdateChecker::shared();
    }
    return *m_updates;
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_options.devLaunchAtLogin) {
        runDevLaunchAtLogin(QString::fromStdString(*m_options.devLaunchAtLogin));
        return;
    }
    applyAppearanceSwitch();
    ToolIconRenderer::verifyBundledIcons();
    setUpStatusItem();
    hotKeys().activate();
    syncHotKeyIntoUI();
    LaunchAtLogin::applyDefaultIfNeeded();
    logStartupDiagnostics();
    announceMissingTray();
    TranslationSettings::migrateLegacyDefaults();
    // Without a usable keyring, keys last for this run only: say so once, when it first matters.
    connect(APIKeyStore::notifier(), &APIKeyStore::memoryOnly, this,
            [] { NoticePanel::show(L10n::text(QStringLiteral("keychain.memoryOnly"))); });
    if (m_platform.capturePermission().preflight()) {
        // The first capture then skips enumerating the displays.
        QTimer::singleShot(0, this, [this] { m_capturer->prewarm(); });
    }
    updates().start();
    connect(&updates(), &UpdateChecker::didChange, this, &AppDelegate::syncUpdateMenuItem);
    if (m_arguments.contains(QStringLiteral("--dev-check-updates-now"))) {
        updates().check(true);
    }

    if (m_options.captureImmediately) {
        startCapture();
    }
    if (m_options.devOpenPreferences) {
        openPreferences();
        const QStringList origin =
            lastPieceOfSwitch(m_arguments, QStringLiteral("--dev-window-origin=")).split(QLatin1Char(','));
        QList<double> numbers;
        for (const QString& piece : origin) {
            bool ok = false;
            const double number = piece.toDouble(&ok);
            if (ok) {
                numbers.append(number);
            }
        }
        if (numbers.size() == 2) {
            // The origin is the frame's lower-left corner in global points, y up.
            const QSize frame = m_preferences->frameGeometry().size();
            const QRectF placed = CoordinateSpace::toQtGlobal(
                tessary::Rect{numbers[0], numbers[1], double(frame.width()), double(frame.height())});
            m_preferences->move(placed.topLeft().toPoint());
            m_preferences->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            m_preferences->show();
        }
    }
    runDevPreferencesScriptIfNeeded();
    if (m_arguments.contains(QStringLiteral("--dev-open-menu"))) {
        QTimer::singleShot(1000, this, [this] {
            if (m_menu && m_statusItem) {
                const QRect geometry = m_statusItem->geometry();
                m_menu->popup(geometry.isValid() ? geometry.bottomLeft() : QPoint(0, 0));
            }
        });
    }
    if (m_options.devRestartAfter) {
        QTimer::singleShot(static_cast<int>(*m_options.devRestartAfter * 1000), this, [this] {
            Log::info(QStringLiteral("验收：自动触发「重新启动」。"));
            restartApp();
        });
    }
    connect(L10n::notifier(), &L10n::languageDidChange, this, &AppDelegate::rebuildMenu);
    // Any change to the set or layout of screens invalidates the cached display list.
    const auto dropCache = [this] { m_capturer->dropCache(); };
    connect(qApp, &QGuiApplication::screenAdded, this, dropCache);
    connect(qApp, &QGuiApplication::screenRemoved, this, dropCache);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, dropCache);
    for (QScreen* screen : QGuiApplication::screens()) {
        connect(screen, &QScreen::geometryChanged, this, dropCache);
    }
}

void AppDelegate::applyAppearanceSwitch() {
    bool present = false;
    for (const QString& argument : m_arguments) {
        present = present || argument.startsWith(QStringLiteral("--dev-appearance="));
    }
    if (!present) {
        return;
    }
    const bool dark =
        lastPieceOfSwitch(m_arguments, QStringLiteral("--dev-appearance=")) == QLatin1String("dark");
    QPalette palette;
    if (dark) {
        palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2d));
        palette.setColor(QPalette::WindowText, QColor(0xf2, 0xf2, 0xf2));
        palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
        palette.setColor(QPalette::AlternateBase, QColor(0x2b, 0x2b, 0x2d));
        palette.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf2));
        palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
        palette.setColor(QPalette::ButtonText, QColor(0xf2, 0xf2, 0xf2));
        palette.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3c));
        palette.setColor(QPalette::ToolTipText, QColor(0xf2, 0xf2, 0xf2));
    } else {
        palette = QApplication::style() ? QApplication::style()->standardPalette() : QPalette();
    }
    QApplication::setPalette(palette);
}

void AppDelegate::setUpStatusItem() {
    m_statusItem = std::make_unique<QSystemTrayIcon>(StatusItemImage::make());
    m_statusItem->setToolTip(QStringLiteral("Tessary"));
    rebuildMenu();
    m_statusItem->show();
}

void AppDelegate::rebuildMenu() {
    if (!m_statusItem) {
        return;
    }
    auto menu = std::make_unique<QMenu>();
    QAction* capture = menu->addAction(QString());
    MenuIcon::apply(capture, QStringLiteral("crop"), L10n::text(QStringLiteral("menu.capture")));
    // Shown, never triggered from the menu: the global grab delivers the key.
    capture->setShortcutContext(Qt::WidgetShortcut);
    capture->setShortcut(menuShortcut(m_hotKeys ? m_hotKeys->active() : std::nullopt));
    connect(capture, &QAction::triggered, this, &AppDelegate::startCapture);

    QAction* permission = menu->addAction(QString());
    MenuIcon::apply(permission, QStringLiteral("lock.shield"), L10n::text(QStringLiteral("menu.permission")));
    permission->setVisible(false);
    // No desktop offers a settings page for it: a capture attempt shows what is missing and why.
    connect(permission, &QAction::triggered, this, &AppDelegate::startCapture);
    m_permissionMenuItem = permission;

    QAction* update = menu->addAction(QString());
    update->setVisible(false);
    connect(update, &QAction::triggered, this, &AppDelegate::openUpdateDownload);
    m_updateMenuItem = update;
    syncUpdateMenuItem();

    menu->addSeparator();
    QAction* preferences = menu->addAction(QString());
    MenuIcon::apply(preferences, QStringLiteral("gearshape"), L10n::text(QStringLiteral("menu.preferences")));
    preferences->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    connect(preferences, &QAction::triggered, this, &AppDelegate::openPreferences);

    menu->addSeparator();
    QAction* restart = menu->addAction(QString());
    MenuIcon::apply(restart, QStringLiteral("arrow.clockwise"), L10n::text(QStringLiteral("menu.restart")));
    connect(restart, &QAction::triggered, this, &AppDelegate::restartApp);

    QAction* quit = menu->addAction(QString());
    MenuIcon::apply(quit, QStringLiteral("power"), L10n::text(QStringLiteral("menu.quit")));
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    // The permission item shows only while capture access is refused.
    connect(menu.get(), &QMenu::aboutToShow, this, [this] {
        if (m_permissionMenuItem) {
            m_permissionMenuItem->setVisible(!m_platform.capturePermission().preflight());
        }
    });
    m_statusItem->setContextMenu(menu.get());
    m_menu = std::move(menu);
}

void AppDelegate::syncUpdateMenuItem() {
    if (!m_updateMenuItem) {
        return;
    }
    const tessary::UpdateStatus& status = updates().status();
    if (status.kind != tessary::UpdateStatus::Kind::available || !status.manifest) {
        m_updateMenuItem->setVisible(false);
        return;
    }
    const QString title = L10n::format(QStringLiteral("menu.updateAvailable"),
                                       {QString::fromStdString(status.manifest->version)});
    MenuIcon::apply(m_updateMenuItem, QStringLiteral("arrow.down.circle"), title);
    m_updateMenuItem->setVisible(true);
}

QAction* AppDelegate::updateMenuItem() const {
    return m_updateMenuItem;
}

void AppDelegate::openUpdateDownload() {
    updates().openDownload();
}

void AppDelegate::logStartupDiagnostics() {
    const auto active = hotKeys().active();
    std::optional<QString> hotKey;
    if (active) {
        hotKey = QString::fromStdString(active->display());
    } else if (m_platform.globalHotKeys().handledByDesktop()) {
        hotKey = QStringLiteral("由桌面处理（tessary --capture-now）");
    }
    Log::info(diagnosticsLine(
        L10n::rawValue(L10n::effective()), hotKey, m_platform.capturePermission().preflight(),
        LaunchAtLogin::status() == LaunchAtLogin::Status::enabled            ? QStringLiteral("已开")
        : LaunchAtLogin::status() == LaunchAtLogin::Status::requiresApproval ? QStringLiteral("待用户放行")
                                                                             : QStringLiteral("已关")));
}

QString AppDelegate::diagnosticsLine(const QString& language, const std::optional<QString>& hotKey,
                                     bool captureGranted, const QString& loginItem) {
    return QStringLiteral("启动完成 · 界面语言=") + language + QStringLiteral(" · ") +
           QStringLiteral("热键=") + hotKey.value_or(QStringLiteral("注册失败")) + QStringLiteral(" · ") +
           QStringLiteral("屏幕录制权限=") +
           (captureGranted ? QStringLiteral("已授权") : QStringLiteral("未授权")) + QStringLiteral(" · ") +
           QStringLiteral("开机自启=") + loginItem;
}

void AppDelegate::announceMissingTray() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    // The icon embeds by itself once a tray host appears; until then the hot key is the way in.
    Log::notice(QStringLiteral("系统托盘不可用：图标会在托盘出现后自动显示。"));
    const auto active = hotKeys().active();
    const QString hotKey =
        active ? QString::fromStdString(active->linuxDisplay()) : QStringLiteral("tessary --capture-now");
    NoticePanel::show(L10n::format(QStringLiteral("notice.noTray"), {hotKey}));
}

void AppDelegate::captureHotKeyPressed() {
    // While a scrolling capture runs, the capture hot key finishes it.
    if (m_coordinator && m_coordinator->isScrollingCaptureRunning()) {
        m_coordinator->finishScrollingCaptureFromHotKey();
        return;
    }
    startCapture();
}

void AppDelegate::startCapture() {
    coordinator().begin();
}

OverlayCoordinator& AppDelegate::coordinator() {
    if (!m_coordinator) {
        m_coordinator = std::make_unique<OverlayCoordinator>(
            m_options,
            CaptureServices{*m_capturer, m_platform.displayCapture(), m_platform.windowList(),
                            m_platform.frontmostWindow(), m_platform.capturePermission(), *m_recognizer});
        // The client is declared before the coordinator, so it outlives this factory.
        m_coordinator->translation().setEngineFactory([this](tessary::TranslationEngineKind kind) {
            return SelectedTranslationEngine::create(kind, cloudClient());
        });
    }
    return *m_coordinator;
}

VelmoraClient& AppDelegate::cloudClient() {
    if (!m_cloudClient) {
        m_cloudClient = std::make_unique<VelmoraClient>();
    }
    return *m_cloudClient;
}

HotKeyController& AppDelegate::hotKeys() {
    if (!m_hotKeys) {
        m_hotKeys =
            std::make_unique<HotKeyController>(m_platform.globalHotKeys(), m_platform.systemShortcuts());
        connect(m_hotKeys.get(), &HotKeyController::triggered, this, &AppDelegate::captureHotKeyPressed);
    }
    return *m_hotKeys;
}

void AppDelegate::syncHotKeyIntoUI() {
    const auto active = hotKeys().active();
    m_hotKeyDisplay = active ? QString::fromStdString(active->display()) : QString();
    coordinator().setHotKeyDisplay(m_hotKeyDisplay.isEmpty() ? std::nullopt
                                                             : std::optional<QString>(m_hotKeyDisplay));
    rebuildMenu();
}

QKeySequence AppDelegate::menuShortcut(const std::optional<tessary::HotKeyCombination>& combination) {
    if (!combination) {
        return {};
    }
    const auto character = tessary::MenuKey::character(combination->keyCode);
    if (!character) {
        return {};
    }
    int key = 0;
    const char32_t c = *character;
    if (c >= 0xF704 && c <= 0xF717) {
        key = Qt::Key_F1 + static_cast<int>(c - 0xF704);
    } else {
        switch (c) {
        case 0x0D:
            key = Qt::Key_Return;
            break;
        case 0x09:
            key = Qt::Key_Tab;
            break;
        case 0x20:
            key = Qt::Key_Space;
            break;
        case 0x08:
            key = Qt::Key_Backspace;
            break;
        case 0x1B:
            key = Qt::Key_Escape;
            break;
        case 0xF729:
            key = Qt::Key_Home;
            break;
        case 0xF72C:
            key = Qt::Key_PageUp;
            break;
        case 0xF728:
            key = Qt::Key_Delete;
            break;
        case 0xF72B:
            key = Qt::Key_End;
            break;
        case 0xF72D:
            key = Qt::Key_PageDown;
            break;
        case 0xF702:
            key = Qt::Key_Left;
            break;
        case 0xF703:
            key = Qt::Key_Right;
            break;
        case 0xF701:
            key = Qt::Key_Down;
            break;
        case 0xF700:
            key = Qt::Key_Up;
            break;
        default:
            // Qt names printable keys by their upper-case code point.
            key = QChar::toUpper(static_cast<char32_t>(c));
        }
    }
    using M = tessary::HotKeyModifiers;
    const M modifiers = combination->modifiers;
    int mask = 0;
    if (modifiers.contains(M::control)) {
        mask |= Qt::ControlModifier;
    }
    if (modifiers.contains(M::option)) {
        mask |= Qt::AltModifier;
    }
    if (modifiers.contains(M::shift)) {
        mask |= Qt::ShiftModifier;
    }
    if (modifiers.contains(M::command)) {
        mask |= Qt::MetaModifier;
    }
    return QKeySequence(key | mask);
}

QString AppDelegate::shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString AppDelegate::restartScript(qint64 pid, const QString& executablePath) {
    return QStringLiteral("while /bin/kill -0 ") + QString::number(pid) +
           QStringLiteral(" 2>/dev/null; do /bin/sleep 0.1; done; exec ") + shellQuoted(executablePath);
}

void AppDelegate::restartApp() {
    const qint64 pid = QCoreApplication::applicationPid();
    const QString script = restartScript(pid, QCoreApplication::applicationFilePath());
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script})) {
        Log::error(QStringLiteral("重新启动失败，已保持运行：") + QStringLiteral("无法启动 /bin/sh"));
        return;
    }
    Log::info(QStringLiteral("重新启动：旧进程 ") + QString::number(pid) +
              QStringLiteral(" 即将退出，等它退完再拉新的。"));
    QCoreApplication::quit();
}

void AppDelegate::openPreferences() {
    if (!m_preferences) {
        QPointer<AppDelegate> self(this);
        m_translationPane = std::make_unique<TranslationPaneAdapter>();
        m_accountPane = std::make_unique<AccountPaneAdapter>(cloudClient());
        m_updateCard = std::make_unique<UpdateCardAdapter>(updates());
        m_preferences = std::make_unique<PreferencesWindowController>(
            hotKeys(),
            [self] {
                if (self) {
                    self->syncHotKeyIntoUI();
                }
            },
            PreferencesModels{m_translationPane.get(), m_accountPane.get(), m_updateCard.get()});
    }
    m_preferences->syncLaunchAtLoginUI();
    if (!m_preferences->isVisible()) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = m_preferences->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            m_preferences->move(frame.topLeft());
        }
    }
    m_preferences->show();
    m_preferences->raise();
    m_preferences->activateWindow();
}

void AppDelegate::runDevLaunchAtLogin(const QString& value) {
    if (value == QLatin1String("on") || value == QLatin1String("off")) {
        const LaunchAtLogin::Outcome outcome = LaunchAtLogin::setEnabled(value == QLatin1String("on"));
        Log::info(QStringLiteral("验收：开机自启 ") + value + QStringLiteral(" → 结果=") + outcome.printed() +
                  QStringLiteral(" · 状态=") + LaunchAtLogin::statusDescription());
    } else if (value == QLatin1String("status")) {
        Log::info(QStringLiteral("验收：开机自启 状态=") + LaunchAtLogin::statusDescription());
    } else {
        Log::error(QStringLiteral("验收：--dev-launch-at-login 只认 on / off / status，收到的是「") + value +
                   QStringLiteral("」。"));
    }
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void AppDelegate::runDevPreferencesScriptIfNeeded() {
    const bool anyScript =
        m_options.devRecordHotKey || m_options.devWindowShotPath || m_options.devStartRecording;
    if (!anyScript) {
        return;
    }
    if (!m_options.devOpenPreferences) {
        Log::error(
            QStringLiteral("验收开关用错了：--dev-record-hotkey / --dev-window-shot / --dev-start-recording "
                           "都要配 --dev-open-preferences。"));
        return;
    }
    if (m_options.devStartRecording) {
        QTimer::singleShot(400, this, [this] {
            startRecordingForScript();
            Log::info(QStringLiteral("验收：已进入热键录制态。"));
        });
    }
    if (const auto combination = m_options.devRecordHotKey) {
        QTimer::singleShot(600, this, [this, combination] { postSyntheticHotKey(*combination); });
    }
    if (m_options.devWindowShotPath) {
        const QString path = QString::fromStdString(*m_options.devWindowShotPath);
        const double after = m_options.devWindowShotAfter.value_or(1.2);
        QTimer::singleShot(static_cast<int>(std::max(0.0, after) * 1000), this, [this, path] {
            if (!m_preferences) {
                Log::error(QStringLiteral("验收：偏好设置窗口不存在，截不了图。"));
                return;
            }
            const QString failure = m_preferences->writeWindowShot(path);
            if (!failure.isEmpty()) {
                Log::error(failure);
            }
        });
    }
}

void AppDelegate::startRecordingForScript() {
    if (!m_preferences) {
        openPreferences();
    }
    m_preferences->select(PreferencesWindowController::Pane::capture);
    if (HotKeyRecorderView* recorder = m_preferences->recorder()) {
        recorder->startRecording();
    }
}

void AppDelegate::postSyntheticHotKey(const tessary::HotKeyCombination& combination) {
    startRecordingForScript();
    using M = tessary::HotKeyModifiers;
    Qt::KeyboardModifiers modifiers;
    if (combination.modifiers.contains(M::control)) {
        modifiers |= Qt::ControlModifier;
    }
    if (combination.modifiers.contains(M::option)) {
        modifiers |= Qt::AltModifier;
    }
    if (combination.modifiers.contains(M::shift)) {
        modifiers |= Qt::ShiftModifier;
    }
    if (combination.modifiers.contains(M::command)) {
        modifiers |= Qt::MetaModifier;
    }
    // The Qt key that records as this combination's key code: printable keys, then the special block.
    int qtKey = 0;
    for (int candidate = 0x20; candidate < 0x7f && qtKey == 0; ++candidate) {
        const auto recorded = HotKeyQtKeys::combination(candidate, modifiers);
        qtKey = recorded && recorded->keyCode == combination.keyCode ? candidate : 0;
    }
    for (int candidate = Qt::Key_Escape; candidate < Qt::Key_Escape + 0x100 && qtKey == 0; ++candidate) {
        const auto recorded = HotKeyQtKeys::combination(candidate, modifiers);
        qtKey = recorded && recorded->keyCode == combination.keyCode ? candidate : 0;
    }
    HotKeyRecorderView* recorder = m_preferences ? m_preferences->recorder() : nullptr;
    if (qtKey == 0 || !recorder) {
        Log::error(QStringLiteral("验收：合成按键构造失败。"));
        return;
    }
    Log::info(QStringLiteral("验收：投递合成按键 ") + QString::fromStdString(combination.display()) +
              QStringLiteral(" 到录制控件。"));
    QCoreApplication::postEvent(recorder, new QKeyEvent(QEvent::KeyPress, qtKey, modifiers),
                                Qt::HighEventPriority);
}
