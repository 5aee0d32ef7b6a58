#include "Preferences/PreferencesWindowController.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "HotKeys/HotKeyController.h"
#include "HotKeys/HotKeyRecorderView.h"
#include "Output/ImageSaver.h"
#include "Preferences/AccountPaneModel.h"
#include "Preferences/LaunchAtLogin.h"
#include "Preferences/PreferencesSymbol.h"
#include "Preferences/TranslationPaneModel.h"
#include "Preferences/UpdateCardModel.h"
#include "TessaryCore/LanguageDisplayName.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

using tessary::HotKeyCombination;
using Pane = PreferencesWindowController::Pane;

namespace {

constexpr int contentWidth = 640;
constexpr int minimumContentHeight = 300;
constexpr int sidebarWidth = 168;
const QList<Pane> allPanes = {Pane::general, Pane::capture, Pane::translate, Pane::account};

QString yesNo(bool value) {
    return value ? QStringLiteral("是") : QStringLiteral("否");
}

QString paneTitle(Pane pane) {
    switch (pane) {
    case Pane::general:
        return L10n::text(QStringLiteral("prefs.pane.general"));
    case Pane::capture:
        return L10n::text(QStringLiteral("prefs.pane.capture"));
    case Pane::translate:
        return L10n::text(QStringLiteral("prefs.pane.translate"));
    case Pane::account:
        return L10n::text(QStringLiteral("prefs.pane.account"));
    }
    return {};
}

QString sidebarSymbol(Pane pane) {
    switch (pane) {
    case Pane::general:
        return QStringLiteral("slider.horizontal.3");
    case Pane::capture:
        return QStringLiteral("crop");
    case Pane::translate:
        return QStringLiteral("character.bubble");
    case Pane::account:
        return QStringLiteral("person.crop.circle");
    }
    return {};
}

// Text from settings, the file system or the network: never interpreted as markup.
QLabel* plainLabel(const QString& text, bool wrap = false) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    return label;
}

QLabel* secondaryLabel(const QString& text) {
    QLabel* label = plainLabel(text, true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    // Dimmed text of the palette's own colour: readable on light and dark backgrounds alike.
    QPalette palette = QApplication::palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.62f);
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QLabel* symbolLabel(const QString& symbol, const QColor& color) {
    auto* label = new QLabel;
    label->setPixmap(PreferencesSymbol::pixmap(symbol, color, 16, qApp->devicePixelRatio()));
    label->setFixedSize(16, 16);
    return label;
}

QLabel* header(const QString& text) {
    QLabel* label = plainLabel(text, true);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A footer line with its information tip.
QWidget* footer(const QString& text, const QString& tip) {
    auto* widget = new QWidget;
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(secondaryLabel(text), 1);
    if (!tip.isEmpty()) {
        QLabel* icon = symbolLabel(QStringLiteral("info.circle"),
                                   QApplication::palette().color(QPalette::PlaceholderText));
        icon->setToolTip(tip);
        icon->setAccessibleName(tip);
        layout->addWidget(icon, 0, Qt::AlignTop);
    }
    return widget;
}

QFrame* card(QVBoxLayout*& layout) {
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    // White cards on a light window; on a dark one a raised shade, so text fields (Base) stand out.
    QPalette palette = QApplication::palette();
    const QColor window = palette.color(QPalette::Window);
    palette.setColor(QPalette::Window,
                     window.lightness() < 128 ? window.lighter(130) : palette.color(QPalette::Base));
    frame->setPalette(palette);
    frame->setBackgroundRole(QPalette::Window);
    frame->setAutoFillBackground(true);
    layout = new QVBoxLayout(frame);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(8);
    return frame;
}

QWidget* row(const QString& title, QWidget* control) {
    auto* widget = new QWidget;
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plainLabel(title, true), 1);
    layout->addWidget(control, 0, Qt::AlignRight | Qt::AlignVCenter);
    return widget;
}

QWidget* pageWidget(QVBoxLayout*& layout) {
    auto* page = new QWidget;
    layout = new QVBoxLayout(page);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(6);
    return page;
}

bool isWritableDirectory(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

} // namespace

const TextSetting& PreferencesWindowController::lastPaneSetting() {
    static const TextSetting setting{lastPaneKey, QStringLiteral("general"), SettingValue::toText,
                                     [](const QString& raw) { return paneFromRawValue(raw).has_value(); }};
    return setting;
}

QString PreferencesWindowController::rawValue(Pane pane) {
    switch (pane) {
    case Pane::general:
        return QStringLiteral("general");
    case Pane::capture:
        return QStringLiteral("capture");
    case Pane::translate:
        return QStringLiteral("translate");
    case Pane::account:
        return QStringLiteral("account");
    }
    return QStringLiteral("general");
}

std::optional<Pane> PreferencesWindowController::paneFromRawValue(const QString& raw) {
    for (Pane pane : allPanes) {
        if (rawValue(pane) == raw) {
            return pane;
        }
    }
    return std::nullopt;
}

PreferencesWindowController::PreferencesWindowController(HotKeyController& hotKeys,
                                                         std::function<void()> onHotKeyChange, Models models,
                                                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_hotKeys(hotKeys), m_onHotKeyChange(std::move(onHotKeyChange)),
      m_models(models) {
    m_pane = paneFromRawValue(lastPaneSetting().value()).value_or(Pane::general);
    setObjectName(QStringLiteral("preferencesWindow"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_sidebar = new QListWidget;
    m_sidebar->setFixedWidth(sidebarWidth);
    m_sidebar->setIconSize(QSize(16, 16));
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setSpacing(2);
    m_sidebar->setBackgroundRole(QPalette::Window);
    layout->addWidget(m_sidebar);
    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);
    m_stack = new QStackedWidget;
    layout->addWidget(m_stack, 1);
    connect(m_sidebar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_isRebuilding && row >= 0 && row < allPanes.size()) {
            select(allPanes[row]);
        }
    });
    resize(contentWidth, minimumContentHeight);
    rebuild();

    connect(L10n::notifier(), &L10n::languageDidChange, this, &PreferencesWindowController::rebuild);
    connect(&SettingsNotifier::instance(), &SettingsNotifier::changed, this, [this](const QString& key) {
        if (key == QLatin1String(ImageSaver::Preference::defaultDirectoryKey) ||
            key == QLatin1String(ImageSaver::Preference::alwaysAskKey)) {
            syncSaveUI();
        }
    });
    if (m_models.update) {
        connect(m_models.update, &UpdateCardModel::statusChanged, this,
                &PreferencesWindowController::syncUpdateUI);
    }
    // Changes made elsewhere (the overlay's engine switch, a token expiring) redraw the page.
    if (m_models.translation) {
        connect(m_models.translation, &TranslationPaneModel::changed, this,
                &PreferencesWindowController::rebuild, Qt::QueuedConnection);
    }
    if (m_models.account) {
        connect(m_models.account, &AccountPaneModel::changed, this, &PreferencesWindowController::rebuild,
                Qt::QueuedConnection);
    }
}

PreferencesWindowController::~PreferencesWindowController() {
    // The recorder may be mid-recording; the grab must never stay released.
    stopRecording();
    m_hotKeys.resume();
}

void PreferencesWindowController::select(Pane pane) {
    if (pane == m_pane) {
        return;
    }
    stopRecording();
    commitDeepSeekFields();
    m_pane = pane;
    lastPaneSetting().set(rawValue(pane));
    rebuild();
}

void PreferencesWindowController::rebuild() {
    if (m_isRebuilding) {
        return;
    }
    m_isRebuilding = true;
    stopRecording();
    setWindowTitle(L10n::text(QStringLiteral("prefs.title")));
    while (m_stack->count() > 0) {
        QWidget* old = m_stack->widget(0);
        m_stack->removeWidget(old);
        old->deleteLater();
    }
    QWidget* page = buildPage(m_pane);
    m_stack->addWidget(page);
    m_stack->setCurrentWidget(page);
    buildSidebar();
    m_isRebuilding = false;
    refitWindow();
}

void PreferencesWindowController::buildSidebar() {
    m_sidebar->clear();
    const QPalette palette = m_sidebar->palette();
    for (Pane pane : allPanes) {
        const bool selected = pane == m_pane;
        const QString symbol = sidebarSymbol(pane) + (selected ? QStringLiteral(".fill") : QString());
        const QColor color = palette.color(selected ? QPalette::HighlightedText : QPalette::WindowText);
        QIcon icon;
        icon.addPixmap(PreferencesSymbol::pixmap(symbol, color, 16, 1.0));
        icon.addPixmap(PreferencesSymbol::pixmap(symbol, color, 16, 2.0));
        auto* item = new QListWidgetItem(icon, paneTitle(pane));
        item->setSizeHint(QSize(sidebarWidth - 8, 28));
        m_sidebar->addItem(item);
    }
    m_sidebar->setCurrentRow(static_cast<int>(allPanes.indexOf(m_pane)));
}

void PreferencesWindowController::refitWindow() {
    QWidget* page = m_stack->currentWidget();
    if (!page) {
        return;
    }
    page->adjustSize();
    const int height = std::max(minimumContentHeight, page->sizeHint().height());
    resize(contentWidth, height);
}

QWidget* PreferencesWindowController::buildPage(Pane pane) {
    switch (pane) {
    case Pane::general:
        return buildGeneralPage();
    case Pane::capture:
        return buildCapturePage();
    case Pane::translate:
        return buildTranslatePage();
    case Pane::account:
        return buildAccountPage();
    }
    return buildGeneralPage();
}

QWidget* PreferencesWindowController::buildGeneralPage() {
    QVBoxLayout* layout = nullptr;
    QWidget* page = pageWidget(layout);

    QVBoxLayout* startup = nullptr;
    layout->addWidget(card(startup));
    m_launchAtLoginSwitch = new QCheckBox;
    m_launchAtLoginSwitch->setAccessibleName(L10n::text(QStringLiteral("prefs.startup.launchAtLogin")));
    startup->addWidget(row(L10n::text(QStringLiteral("prefs.startup.launchAtLogin")), m_launchAtLoginSwitch));
    connect(m_launchAtLoginSwitch, &QCheckBox::toggled, this,
            &PreferencesWindowController::toggleLaunchAtLogin);

    m_loginItemsRow = new QWidget;
    auto* loginItems = new QHBoxLayout(m_loginItemsRow);
    loginItems->setContentsMargins(0, 0, 0, 0);
    loginItems->setSpacing(6);
    m_launchAtLoginMessage = secondaryLabel(QString());
    loginItems->addWidget(m_launchAtLoginMessage, 1);
    auto* openLoginItems = new QPushButton(L10n::text(QStringLiteral("prefs.startup.openLoginItems")));
    connect(openLoginItems, &QPushButton::clicked, this,
            &PreferencesWindowController::openLoginItemsSettings);
    loginItems->addWidget(openLoginItems, 0, Qt::AlignTop);
    m_loginItemsRow->hide();
    startup->addWidget(m_loginItemsRow);

    auto* language = new QComboBox;
    QFont small = language->font();
    small.setPointSizeF(small.pointSizeF() * 0.92);
    language->setFont(small);
    language->addItem(L10n::text(QStringLiteral("menu.language.system")), QString());
    language->insertSeparator(1);
    language->addItem(QStringLiteral("English"), QStringLiteral("en"));
    language->addItem(QStringLiteral("简体中文"), QStringLiteral("zh-Hans"));
    language->addItem(QStringLiteral("日本語"), QStringLiteral("ja"));
    const auto override = L10n::overrideLanguage();
    const int current = override ? language->findData(L10n::rawValue(*override)) : 0;
    language->setCurrentIndex(std::max(0, current));
    connect(language, &QComboBox::activated, this, [language](int index) {
        const auto chosen = L10n::fromRawValue(language->itemData(index).toString());
        // Queued: the switch rebuilds this page, combo box included.
        QMetaObject::invokeMethod(
            qApp, [chosen] { L10n::setOverride(chosen); }, Qt::QueuedConnection);
    });
    startup->addWidget(row(L10n::text(QStringLiteral("prefs.language.title")), language));
    layout->addWidget(footer(L10n::text(QStringLiteral("prefs.general.footer")),
                             L10n::text(QStringLiteral("prefs.startup.hint"))));

    if (m_models.update) {
        layout->addSpacing(8);
        layout->addWidget(header(L10n::text(QStringLiteral("prefs.update.header"))));
        QVBoxLayout* update = nullptr;
        layout->addWidget(card(update));
        auto* line = new QHBoxLayout;
        auto* texts = new QVBoxLayout;
        texts->addWidget(plainLabel(m_models.update->currentVersionText()));
        m_updateStatusLabel = secondaryLabel(QString());
        texts->addWidget(m_updateStatusLabel);
        line->addLayout(texts, 1);
        auto* check = new QPushButton(L10n::text(QStringLiteral("prefs.update.check")));
        connect(check, &QPushButton::clicked, m_models.update, &UpdateCardModel::checkNow);
        auto* download = new QPushButton(L10n::text(QStringLiteral("prefs.update.download")));
        connect(download, &QPushButton::clicked, m_models.update, &UpdateCardModel::openDownload);
        m_updateDownloadButton = download;
        line->addWidget(check, 0, Qt::AlignVCenter);
        line->addWidget(download, 0, Qt::AlignVCenter);
        update->addLayout(line);
        layout->addWidget(footer(L10n::text(QStringLiteral("prefs.update.footer")), QString()));
        syncUpdateUI();
    }
    layout->addStretch(1);
    syncLaunchAtLoginUI();
    return page;
}

QWidget* PreferencesWindowController::buildCapturePage() {
    QVBoxLayout* layout = nullptr;
    QWidget* page = pageWidget(layout);

    layout->addWidget(header(L10n::text(QStringLiteral("prefs.hotkey.title"))));
    QVBoxLayout* hotKeyCard = nullptr;
    layout->addWidget(card(hotKeyCard));
    auto* hotKeyRow = new QHBoxLayout;
    m_recorder = new HotKeyRecorderView;
    m_recorder->setCombination(m_hotKeys.active());
    m_recorder->onRecord = [this](const HotKeyCombination& combination) {
        const HotKeyController::ApplyResult result = m_hotKeys.apply(combination);
        if (result.kind == HotKeyController::ApplyResult::Kind::applied && m_onHotKeyChange) {
            m_onHotKeyChange();
        }
        return result;
    };
    // However recording ends (a key, Esc, a click elsewhere, the window closing) the grab comes back.
    m_recorder->onRecordingStateChange = [this](bool recording) {
        if (recording) {
            m_hotKeys.suspend();
        } else {
            m_hotKeys.resume();
        }
    };
    m_recorder->onMessageChange = [this](const std::optional<HotKeyRecorderView::Message>& message) {
        showHotKeyMessage(message ? message->symbol : QString(), message ? message->text : QString());
    };
    hotKeyRow->addWidget(m_recorder);
    hotKeyRow->addStretch(1);
    auto* record = new QPushButton(L10n::text(QStringLiteral("prefs.hotkey.record")));
    connect(record, &QPushButton::clicked, this, [this] {
        if (m_recorder) {
            m_recorder->startRecording();
        }
    });
    hotKeyRow->addWidget(record);
    auto* restore = new QPushButton(L10n::text(QStringLiteral("prefs.hotkey.restoreDefault")));
    restore->setIcon(QIcon(PreferencesSymbol::pixmap(QStringLiteral("arrow.counterclockwise"),
                                                     restore->palette().color(QPalette::ButtonText), 16,
                                                     qApp->devicePixelRatio())));
    connect(restore, &QPushButton::clicked, this, &PreferencesWindowController::restoreDefaultHotKey);
    hotKeyRow->addWidget(restore);
    hotKeyCard->addLayout(hotKeyRow);

    m_messageRow = new QWidget;
    auto* messageLayout = new QHBoxLayout(m_messageRow);
    messageLayout->setContentsMargins(0, 0, 0, 0);
    m_messageIcon = new QLabel;
    m_messageIcon->setFixedSize(16, 16);
    m_messageLabel = plainLabel(QString(), true);
    messageLayout->addWidget(m_messageIcon, 0, Qt::AlignTop);
    messageLayout->addWidget(m_messageLabel, 1);
    m_messageRow->hide();
    hotKeyCard->addWidget(m_messageRow);
    if (m_hotKeys.handledByDesktop()) {
        showHotKeyMessage(QStringLiteral("info.circle"),
                          L10n::text(QStringLiteral("prefs.hotkey.desktopBinding")));
    }
    layout->addWidget(footer(L10n::text(QStringLiteral("prefs.capture.hotkeyFooter")),
                             L10n::text(QStringLiteral("prefs.hotkey.hint"))));

    layout->addSpacing(8);
    layout->addWidget(header(L10n::text(QStringLiteral("prefs.save.title"))));
    QVBoxLayout* saveCard = nullptr;
    layout->addWidget(card(saveCard));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(symbolLabel(QStringLiteral("folder"), page->palette().color(QPalette::WindowText)));
    m_pathLabel = plainLabel(QString());
    m_pathLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    folderRow->addWidget(m_pathLabel, 1);
    auto* change = new QPushButton(L10n::text(QStringLiteral("prefs.save.change")));
    connect(change, &QPushButton::clicked, this, &PreferencesWindowController::chooseDirectory);
    auto* reveal = new QPushButton(L10n::text(QStringLiteral("prefs.save.revealInFinder")));
    connect(reveal, &QPushButton::clicked, this, [] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(ImageSaver::Preference::resolvedDirectory()));
    });
    folderRow->addWidget(change);
    folderRow->addWidget(reveal);
    saveCard->addLayout(folderRow);
    m_pathMessage = secondaryLabel(QString());
    m_pathMessage->hide();
    saveCard->addWidget(m_pathMessage);
    m_alwaysAskSwitch = new QCheckBox;
    m_alwaysAskSwitch->setAccessibleName(L10n::text(QStringLiteral("prefs.save.alwaysAsk")));
    connect(m_alwaysAskSwitch, &QCheckBox::toggled, this, [](bool ask) {
        if (ask == ImageSaver::Preference::alwaysAskWhereToSave() &&
            ImageSaver::Preference::alwaysAskSetting().isPresent()) {
            return;
        }
        ImageSaver::Preference::setAlwaysAskWhereToSave(ask);
        Log::info(QStringLiteral("保存时弹面板：") + yesNo(ask));
    });
    saveCard->addWidget(row(L10n::text(QStringLiteral("prefs.save.alwaysAsk")), m_alwaysAskSwitch));
    layout->addWidget(footer(L10n::text(QStringLiteral("prefs.capture.saveFooter")),
                             L10n::text(QStringLiteral("prefs.save.hint"))));
    layout->addStretch(1);
    syncSaveUI();
    return page;
}

void PreferencesWindowController::syncSaveUI() {
    if (!m_pathLabel) {
        return;
    }
    const QString directory = ImageSaver::Preference::resolvedDirectory();
    m_pathLabel->setText(QFileInfo(directory).fileName().isEmpty() ? directory
                                                                   : QFileInfo(directory).fileName());
    m_pathLabel->setToolTip(directory);
    // A stored folder that has since gone (or become a file) is kept, and said so, not silently replaced.
    const std::optional<QString> stored = ImageSaver::Preference::defaultDirectorySetting().stored();
    const bool lost = stored && !stored->isEmpty() && !QFileInfo(*stored).isDir();
    const bool readOnly = !lost && !isWritableDirectory(directory);
    m_pathMessage->setText(lost       ? L10n::format(QStringLiteral("prefs.save.missing"), {*stored})
                           : readOnly ? L10n::format(QStringLiteral("prefs.save.readOnly"), {directory})
                                      : QString());
    const bool visibilityChanged = m_pathMessage->isHidden() != m_pathMessage->text().isEmpty();
    m_pathMessage->setVisible(!m_pathMessage->text().isEmpty());
    const QSignalBlocker blocker(m_alwaysAskSwitch.data());
    m_alwaysAskSwitch->setChecked(ImageSaver::Preference::alwaysAskWhereToSave());
    if (visibilityChanged && !m_isRebuilding) {
        refitWindow();
    }
}

void PreferencesWindowController::chooseDirectory() {
    activateWindow();
    const QString chosen = QFileDialog::getExistingDirectory(
        this, L10n::text(QStringLiteral("prefs.save.change")), ImageSaver::Preference::resolvedDirectory(),
        QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = QDir::cleanPath(chosen);
    ImageSaver::Preference::setDefaultDirectory(path);
    Log::info(QStringLiteral("默认保存目录改为：") + path);
    syncSaveUI();
}

void PreferencesWindowController::showHotKeyMessage(const QString& symbol, const QString& text) {
    if (!m_messageRow) {
        return;
    }
    const bool wasVisible = m_messageRow->isVisibleTo(this);
    m_messageLabel->setText(text);
    m_messageIcon->setPixmap(symbol.isEmpty() ? QPixmap()
                                              : PreferencesSymbol::pixmap(symbol, QColor(0xe0, 0x8a, 0x00),
                                                                          16, qApp->devicePixelRatio()));
    m_messageRow->setVisible(!text.isEmpty());
    if (wasVisible != !text.isEmpty() && !m_isRebuilding) {
        refitWindow();
    }
}

void PreferencesWindowController::restoreDefaultHotKey() {
    stopRecording();
    const HotKeyCombination combination = HotKeyCombination::defaultCombination();
    const HotKeyController::ApplyResult result = m_hotKeys.apply(combination);
    const QString display = QString::fromStdString(combination.linuxDisplay());
    using Kind = HotKeyController::ApplyResult::Kind;
    switch (result.kind) {
    case Kind::applied:
        if (m_recorder) {
            m_recorder->setCombination(combination);
        }
        showHotKeyMessage(QString(), QString());
        if (m_onHotKeyChange) {
            m_onHotKeyChange();
        }
        break;
    case Kind::systemReserved:
        showHotKeyMessage(QStringLiteral("exclamationmark.triangle.fill"),
                          L10n::format(QStringLiteral("prefs.hotkey.systemReserved"), {display}));
        break;
    case Kind::conflict:
    case Kind::rejected:
        showHotKeyMessage(QStringLiteral("exclamationmark.triangle.fill"),
                          L10n::format(QStringLiteral("prefs.hotkey.conflict"), {display}));
        break;
    }
}

void PreferencesWindowController::stopRecording() {
    if (m_recorder) {
        m_recorder->stopRecording();
    }
}

void PreferencesWindowController::syncLaunchAtLoginUI(const std::optional<QString>& message) {
    if (!m_launchAtLoginSwitch) {
        return;
    }
    const LaunchAtLogin::Status status = LaunchAtLogin::status();
    {
        const QSignalBlocker blocker(m_launchAtLoginSwitch.data());
        m_launchAtLoginSwitch->setChecked(status == LaunchAtLogin::Status::enabled);
    }
    QString text = message.value_or(QString());
    if (!message && status == LaunchAtLogin::Status::requiresApproval) {
        text = L10n::text(QStringLiteral("prefs.startup.requiresApproval"));
    }
    m_launchAtLoginMessage->setText(text);
    const bool wasVisible = !m_loginItemsRow->isHidden();
    m_loginItemsRow->setVisible(!text.isEmpty());
    if (wasVisible != !text.isEmpty() && !m_isRebuilding) {
        refitWindow();
    }
}

void PreferencesWindowController::toggleLaunchAtLogin(bool on) {
    const LaunchAtLogin::Outcome outcome = LaunchAtLogin::setEnabled(on);
    using Kind = LaunchAtLogin::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::enabled:
    case Kind::disabled:
        Log::info(outcome.kind == Kind::enabled ? QStringLiteral("开机自启：已开启。")
                                                : QStringLiteral("开机自启：已关闭。"));
        syncLaunchAtLoginUI();
        break;
    case Kind::requiresApproval:
        syncLaunchAtLoginUI(L10n::text(QStringLiteral("prefs.startup.requiresApproval")));
        break;
    case Kind::failed:
        syncLaunchAtLoginUI(L10n::format(QStringLiteral("prefs.startup.failed"), {outcome.message}));
        break;
    }
}

void PreferencesWindowController::openLoginItemsSettings() {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    const QString systemSettings = QStandardPaths::findExecutable(QStringLiteral("systemsettings"));
    if (desktop.contains(QLatin1String("KDE")) && !systemSettings.isEmpty() &&
        QProcess::startDetached(systemSettings, {QStringLiteral("kcm_autostart")})) {
        return;
    }
    const QString tweaks = QStandardPaths::findExecutable(QStringLiteral("gnome-tweaks"));
    if (desktop.contains(QLatin1String("GNOME")) && !tweaks.isEmpty() &&
        QProcess::startDetached(tweaks, {})) {
        return;
    }
    QDir().mkpath(LaunchAtLogin::autostartDirectory());
    QDesktopServices::openUrl(QUrl::fromLocalFile(LaunchAtLogin::autostartDirectory()));
}

void PreferencesWindowController::syncUpdateUI() {
    if (!m_models.update || !m_updateStatusLabel) {
        return;
    }
    m_updateStatusLabel->setText(m_models.update->statusText());
    m_updateDownloadButton->setVisible(m_models.update->canDownload());
}

QWidget* PreferencesWindowController::buildTranslatePage() {
    QVBoxLayout* layout = nullptr;
    QWidget* page = pageWidget(layout);
    TranslationPaneModel* model = m_models.translation;
    if (!model) {
        layout->addWidget(header(L10n::text(QStringLiteral("prefs.translate.unavailable"))));
        layout->addStretch(1);
        return page;
    }
    using Engine = TranslationPaneModel::Engine;
    QVBoxLayout* main = nullptr;
    layout->addWidget(card(main));
    auto* engine = new QComboBox;
    for (const Engine offered : model->engines()) {
        if (offered == Engine::velmora) {
            engine->addItem(L10n::text(QStringLiteral("translate.engine.velmora")),
                            QStringLiteral("velmora"));
        } else {
            engine->addItem(L10n::text(QStringLiteral("translate.engine.deepseek")),
                            QStringLiteral("deepseek"));
        }
    }
    engine->setCurrentIndex(
        std::max(0, engine->findData(model->engine() == Engine::deepseek ? QStringLiteral("deepseek")
                                                                         : QStringLiteral("velmora"))));
    connect(engine, &QComboBox::activated, this, [this, model, engine](int index) {
        const Engine chosen = engine->itemData(index).toString() == QLatin1String("deepseek")
                                  ? Engine::deepseek
                                  : Engine::velmora;
        commitDeepSeekFields();
        model->setEngine(chosen);
        Log::info(QStringLiteral("翻译引擎改为：") + engine->itemData(index).toString());
        QMetaObject::invokeMethod(this, &PreferencesWindowController::rebuild, Qt::QueuedConnection);
    });
    main->addWidget(row(L10n::text(QStringLiteral("prefs.translate.engine")), engine));

    auto* target = new QComboBox;
    const std::string interface = L10n::rawValue(L10n::effective()).toStdString();
    for (const QString& identifier : model->targetIdentifiers()) {
        const auto name = tessary::languageDisplayName(identifier.toStdString(), interface);
        target->addItem(name ? QString::fromStdString(*name) : identifier, identifier);
    }
    target->setCurrentIndex(std::max(0, target->findData(model->target())));
    connect(target, &QComboBox::activated, this, [model, target](int index) {
        const QString identifier = target->itemData(index).toString();
        model->setTarget(identifier);
        Log::info(QStringLiteral("译文语言改为：") + identifier);
    });
    main->addWidget(row(L10n::text(QStringLiteral("prefs.translate.target")), target));

    auto* selectable = new QCheckBox;
    selectable->setChecked(model->selectableText());
    connect(selectable, &QCheckBox::toggled, this, [model](bool on) {
        model->setSelectableText(on);
        Log::info(QStringLiteral("译文可选中：") + yesNo(on));
    });
    main->addWidget(row(L10n::text(QStringLiteral("prefs.translate.selectable")), selectable));

    if (model->engine() == Engine::velmora) {
        if (AccountPaneModel* account = m_models.account) {
            auto* share = new QCheckBox;
            share->setChecked(account->shareCache());
            connect(share, &QCheckBox::toggled, this, [account, share = QPointer<QCheckBox>(share)](bool on) {
                Log::info(QStringLiteral("参与共享翻译缓存：") + yesNo(on));
                account->setShareCache(on, [share, on](const QString& error) {
                    if (error.isEmpty()) {
                        return;
                    }
                    Log::error(QStringLiteral("改共享缓存开关失败：") + error);
                    if (share) {
                        const QSignalBlocker blocker(share.data());
                        share->setChecked(!on);
                    }
                });
            });
            main->addWidget(row(L10n::text(QStringLiteral("prefs.translate.shareCache")), share));
        }
        layout->addWidget(footer(L10n::text(QStringLiteral("prefs.translate.footer.velmora")),
                                 L10n::text(QStringLiteral("prefs.translate.hint.velmora"))));
    } else {
        layout->addSpacing(8);
        QVBoxLayout* deepSeek = nullptr;
        layout->addWidget(card(deepSeek));
        m_deepSeekKeyField = new QLineEdit;
        m_deepSeekKeyField->setEchoMode(QLineEdit::Password);
        m_deepSeekKeyField->setPlaceholderText(L10n::text(QStringLiteral("prefs.translate.keyPlaceholder")));
        m_deepSeekKeyShown = model->deepSeekKey();
        m_deepSeekKeyField->setText(m_deepSeekKeyShown);
        m_deepSeekKeyField->setMinimumWidth(240);
        connect(m_deepSeekKeyField, &QLineEdit::editingFinished, this,
                &PreferencesWindowController::commitDeepSeekFields);
        deepSeek->addWidget(row(L10n::text(QStringLiteral("prefs.translate.key")), m_deepSeekKeyField));
        m_deepSeekModelField = new QLineEdit(model->deepSeekModel());
        m_deepSeekModelField->setMinimumWidth(240);
        connect(m_deepSeekModelField, &QLineEdit::editingFinished, this,
                &PreferencesWindowController::commitDeepSeekFields);
        deepSeek->addWidget(row(L10n::text(QStringLiteral("prefs.translate.model")), m_deepSeekModelField));
        layout->addWidget(footer(L10n::text(QStringLiteral("prefs.translate.footer.deepseek")),
                                 L10n::text(QStringLiteral("prefs.translate.hint"))));
    }
    layout->addStretch(1);
    return page;
}

void PreferencesWindowController::commitDeepSeekFields() {
    TranslationPaneModel* model = m_models.translation;
    if (!model) {
        return;
    }
    if (m_deepSeekModelField) {
        const QString modelName = m_deepSeekModelField->text().trimmed();
        if (modelName != model->deepSeekModel()) {
            model->setDeepSeekModel(modelName);
            Log::info(QStringLiteral("DeepSeek 模型改为：") + modelName);
        }
    }
    if (m_deepSeekKeyField) {
        const QString key = m_deepSeekKeyField->text().trimmed();
        if (key != m_deepSeekKeyShown) {
            m_deepSeekKeyShown = key;
            model->storeDeepSeekKey(key, [key](bool stored) {
                Log::info(QStringLiteral("DeepSeek 密钥：") + (!stored ? QStringLiteral("写入失败")
                                                               : key.isEmpty()
                                                                   ? QStringLiteral("已清除")
                                                                   : QStringLiteral("已存入钥匙串")));
            });
        }
    }
}

QWidget* PreferencesWindowController::buildAccountPage() {
    QVBoxLayout* layout = nullptr;
    QWidget* page = pageWidget(layout);
    AccountPaneModel* account = m_models.account;
    TranslationPaneModel* translation = m_models.translation;
    if (translation && translation->engine() == TranslationPaneModel::Engine::deepseek) {
        layout->addWidget(header(L10n::text(QStringLiteral("prefs.account.notNeeded"))));
        layout->addStretch(1);
        return page;
    }
    if (!account || !translation) {
        layout->addWidget(header(L10n::text(QStringLiteral("prefs.account.unavailable"))));
        layout->addStretch(1);
        return page;
    }
    const bool hasToken = account->hasToken();
    if (!hasToken && !m_velmoraRegisterForm) {
        layout->addWidget(header(L10n::text(QStringLiteral("prefs.account.title"))));
    }
    QVBoxLayout* accountCard = nullptr;
    layout->addWidget(card(accountCard));
    auto* accountRow = new QHBoxLayout;
    const QString email = account->email();
    auto* avatar = plainLabel(email.isEmpty() ? QStringLiteral("?") : email.left(1).toUpper());
    avatar->setAlignment(Qt::AlignCenter);
    avatar->setFixedSize(28, 28);
    avatar->setAutoFillBackground(true);
    avatar->setBackgroundRole(QPalette::Highlight);
    avatar->setForegroundRole(QPalette::HighlightedText);
    accountRow->addWidget(avatar);
    accountRow->addWidget(
        plainLabel(hasToken ? email : L10n::text(QStringLiteral("prefs.translate.notLoggedIn"))), 1);
    const auto openForm = [this](bool registering) {
        m_velmoraRegisterForm = registering;
        rebuild();
    };
    if (hasToken) {
        auto* logout = new QPushButton(L10n::text(QStringLiteral("prefs.translate.logout")));
        connect(logout, &QPushButton::clicked, this, [this, account] {
            QPointer<PreferencesWindowController> self(this);
            account->logout([self](const QString&) {
                if (self) {
                    self->rebuild();
                }
            });
        });
        accountRow->addWidget(logout);
    } else {
        auto* login = new QPushButton(L10n::text(QStringLiteral("prefs.translate.login")));
        connect(login, &QPushButton::clicked, this, [openForm] { openForm(false); });
        auto* registerButton = new QPushButton(L10n::text(QStringLiteral("prefs.translate.register")));
        connect(registerButton, &QPushButton::clicked, this, [openForm] { openForm(true); });
        accountRow->addWidget(login);
        accountRow->addWidget(registerButton);
    }
    accountCard->addLayout(accountRow);

    if (m_velmoraRegisterForm && !hasToken) {
        m_velmoraEmailField = new QLineEdit(email);
        m_velmoraEmailField->setPlaceholderText(
            L10n::text(QStringLiteral("prefs.translate.emailPlaceholder")));
        m_velmoraPasswordField = new QLineEdit;
        m_velmoraPasswordField->setEchoMode(QLineEdit::Password);
        m_velmoraPasswordField->setPlaceholderText(
            L10n::text(QStringLiteral("prefs.translate.passwordPlaceholder")));
        accountCard->addWidget(m_velmoraEmailField);
        accountCard->addWidget(m_velmoraPasswordField);
        m_velmoraErrorLabel = secondaryLabel(QString());
        m_velmoraErrorLabel->hide();
        accountCard->addWidget(m_velmoraErrorLabel);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        auto* cancel = new QPushButton(L10n::text(QStringLiteral("action.cancel")));
        connect(cancel, &QPushButton::clicked, this, [this] {
            m_velmoraRegisterForm.reset();
            rebuild();
        });
        auto* submit =
            new QPushButton(*m_velmoraRegisterForm ? L10n::text(QStringLiteral("prefs.translate.register"))
                                                   : L10n::text(QStringLiteral("prefs.translate.login")));
        submit->setDefault(true);
        connect(submit, &QPushButton::clicked, this, &PreferencesWindowController::submitVelmoraForm);
        buttons->addWidget(cancel);
        buttons->addWidget(submit);
        accountCard->addLayout(buttons);
    }
    if (const auto quota = account->cachedQuota(); hasToken && quota) {
        const QString usage =
            quota->limit ? L10n::format(QStringLiteral("prefs.account.usage"),
                                        {QString::number(quota->used), QString::number(*quota->limit)})
                         : L10n::format(QStringLiteral("prefs.account.usageUnlimited"),
                                        {QString::number(quota->used)});
        accountCard->addWidget(secondaryLabel(usage));
    }
    auto* advanced = new QCheckBox(L10n::text(QStringLiteral("prefs.account.advanced")));
    advanced->setChecked(m_advancedExpanded);
    connect(advanced, &QCheckBox::toggled, this, [this](bool on) {
        m_advancedExpanded = on;
        QMetaObject::invokeMethod(this, &PreferencesWindowController::rebuild, Qt::QueuedConnection);
    });
    layout->addWidget(advanced);
    if (m_advancedExpanded) {
        auto* server = new QLineEdit(account->baseURL());
        server->setMinimumWidth(280);
        connect(server, &QLineEdit::editingFinished, this, [account, server] {
            const QString normalised = account->setBaseURL(server->text().trimmed());
            server->setText(normalised);
            Log::info(QStringLiteral("Tessary 云端服务器改为：") + normalised);
        });
        layout->addWidget(row(L10n::text(QStringLiteral("prefs.translate.server")), server));
    }
    layout->addStretch(1);
    return page;
}

void PreferencesWindowController::submitVelmoraForm() {
    AccountPaneModel* account = m_models.account;
    if (!account || !m_velmoraEmailField || !m_velmoraPasswordField || !m_velmoraRegisterForm) {
        return;
    }
    const QString email = m_velmoraEmailField->text().trimmed();
    const QString password = m_velmoraPasswordField->text();
    m_velmoraErrorLabel->show();
    if (email.isEmpty() || password.isEmpty()) {
        m_velmoraErrorLabel->setText(L10n::text(QStringLiteral("prefs.translate.loginEmpty")));
        return;
    }
    m_velmoraErrorLabel->setText(L10n::text(QStringLiteral("prefs.translate.loggingIn")));
    QPointer<PreferencesWindowController> self(this);
    account->login(email, password, *m_velmoraRegisterForm, [self](const QString& error) {
        if (!self) {
            return;
        }
        if (error.isEmpty()) {
            self->m_velmoraRegisterForm.reset();
            self->rebuild();
            return;
        }
        Log::error(QStringLiteral("Tessary 云端登录失败：") + error);
        if (self->m_velmoraErrorLabel) {
            self->m_velmoraErrorLabel->setText(
                L10n::text(QStringLiteral("prefs.translate.loginFailed.inline")));
        }
    });
}

QString PreferencesWindowController::writeWindowShot(const QString& path) {
    const QPixmap shot = grab();
    if (shot.isNull()) {
        return QStringLiteral("验收：无法为窗口创建位图。");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("验收：写截图失败 ") + file.errorString();
    }
    if (!shot.save(&file, "PNG")) {
        file.cancelWriting();
        return QStringLiteral("验收：窗口位图转 PNG 失败。");
    }
    if (!file.commit()) {
        return QStringLiteral("验收：写截图失败 ") + file.errorString();
    }
    Log::info(QStringLiteral("验收：偏好设置窗口已渲染到 ") + path + QStringLiteral("（") +
              QString::number(shot.width()) + QStringLiteral("x") + QString::number(shot.height()) +
              QStringLiteral("）。"));
    return {};
}

void PreferencesWindowController::closeEvent(QCloseEvent* event) {
    stopRecording();
    commitDeepSeekFields();
    // Hidden, not destroyed: the window and its state live as long as the process.
    hide();
    event->ignore();
}

void PreferencesWindowController::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_isRebuilding) {
        // Symbols are drawn in the palette's colours.
        QMetaObject::invokeMethod(this, &PreferencesWindowController::rebuild, Qt::QueuedConnection);
    }
}
