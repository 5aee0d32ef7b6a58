#include "FakePlatformScope.h"
#include "Foundation/L10n.h"
#include "HotKeys/HotKeyController.h"
#include "HotKeys/HotKeyRecorderView.h"
#include "Preferences/PreferencesWindowController.h"
#include "Preferences/TranslationPaneModel.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

using Pane = PreferencesWindowController::Pane;

namespace {

// Keeps what the pane writes, as the translation subsystem's settings would.
class RecordingTranslationModel : public TranslationPaneModel {
public:
    QList<Engine> engines() const override { return {Engine::velmora, Engine::deepseek}; }
    Engine engine() const override { return m_engine; }
    void setEngine(Engine engine) override { m_engine = engine; }
    QStringList targetIdentifiers() const override { return {QStringLiteral("en"), QStringLiteral("ja")}; }
    QString target() const override { return m_target; }
    void setTarget(const QString& identifier) override { m_target = identifier; }
    bool selectableText() const override { return false; }
    void setSelectableText(bool) override {}
    QString deepSeekModel() const override { return m_model; }
    void setDeepSeekModel(const QString& model) override { m_model = model; }
    QString deepSeekKey() const override { return m_key; }
    void storeDeepSeekKey(const QString& key, std::function<void(bool)> done) override {
        m_key = key;
        ++keyWrites;
        done(true);
    }

    int keyWrites = 0;

private:
    Engine m_engine = Engine::deepseek;
    QString m_target = QStringLiteral("en");
    QString m_model = QStringLiteral("deepseek-chat");
    QString m_key;
};

class PreferencesWindowTest : public testing::Test {
protected:
    void SetUp() override { QSettings().clear(); }
    void TearDown() override {
        L10n::setOverride(std::nullopt);
        QSettings().clear();
    }

    FakePlatformScope scope;
    HotKeyController hotKeys{scope.platform().globalHotKeys(), scope.platform().systemShortcuts()};
    size_t grabs() { return scope.platform().fakeGlobalHotKeys().registrations().size(); }
};

void sendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

} // namespace

// However recording ends, the capture hot key is grabbed again; while it runs, it is not.
TEST_F(PreferencesWindowTest, RecordingReleasesTheGrabAndEveryEndingRestoresIt) {
    const struct {
        const char* name;
        std::function<void(PreferencesWindowController&)> end;
    } endings[] = {
        {"escape", [](PreferencesWindowController& w) { sendKey(w.recorder(), Qt::Key_Escape); }},
        {"the same combination",
         [](PreferencesWindowController& w) {
             sendKey(w.recorder(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
         }},
        {"another pane", [](PreferencesWindowController& w) { w.select(Pane::general); }},
        {"a language change", [](PreferencesWindowController&) { L10n::setOverride(L10n::Language::ja); }},
        {"closing the window", [](PreferencesWindowController& w) { w.close(); }},
    };
    hotKeys.activate();
    ASSERT_EQ(grabs(), 1u);
    for (const auto& ending : endings) {
        PreferencesWindowController::lastPaneSetting().set(QStringLiteral("capture"));
        PreferencesWindowController window(hotKeys, {});
        window.show();
        ASSERT_NE(window.recorder(), nullptr) << ending.name;
        window.recorder()->startRecording();
        EXPECT_EQ(grabs(), 0u) << ending.name;
        ending.end(window);
        EXPECT_EQ(grabs(), 1u) << ending.name;
        EXPECT_EQ(hotKeys.active(), tessary::HotKeyCombination::defaultCombination()) << ending.name;
        L10n::setOverride(std::nullopt);
    }
    {
        // Destroyed mid-recording.
        PreferencesWindowController window(hotKeys, {});
        window.select(Pane::capture);
        window.recorder()->startRecording();
        EXPECT_EQ(grabs(), 0u);
    }
    EXPECT_EQ(grabs(), 1u);
}

TEST_F(PreferencesWindowTest, StoredPaneOpensAndUnusableValuesOpenGeneralWithoutLosingThem) {
    const struct {
        QVariant stored;
        Pane expected;
    } cases[] = {
        {QVariant(), Pane::general},
        {QStringLiteral("account"), Pane::account},
        {QStringLiteral("Capture"), Pane::general},
        {QStringLiteral("nonsense"), Pane::general},
        {QVariant(QStringList{QStringLiteral("capture")}), Pane::general},
    };
    for (const auto& c : cases) {
        QSettings().clear();
        if (c.stored.isValid()) {
            QSettings().setValue(QLatin1String(PreferencesWindowController::lastPaneKey), c.stored);
        }
        PreferencesWindowController window(hotKeys, {});
        EXPECT_EQ(window.pane(), c.expected) << c.stored.toString().toStdString();
        EXPECT_EQ(QSettings().value(QLatin1String(PreferencesWindowController::lastPaneKey)), c.stored);
    }
    PreferencesWindowController window(hotKeys, {});
    window.select(Pane::translate);
    EXPECT_EQ(QSettings().value(QLatin1String(PreferencesWindowController::lastPaneKey)).toString(),
              QStringLiteral("translate"));
}

// An edited key is stored before the page it sits on is torn down, once, by a switch or a close.
TEST_F(PreferencesWindowTest, EditedDeepSeekFieldsAreCommittedBeforeThePageGoes) {
    for (const bool byClosing : {false, true}) {
        RecordingTranslationModel model;
        PreferencesWindowController::lastPaneSetting().set(QStringLiteral("translate"));
        PreferencesWindowController window(hotKeys, {}, {&model, nullptr, nullptr});
        window.show();
        auto fields = window.findChildren<QLineEdit*>();
        ASSERT_EQ(fields.size(), 2);
        QLineEdit* key = fields[0]->echoMode() == QLineEdit::Password ? fields[0] : fields[1];
        QLineEdit* modelField = key == fields[0] ? fields[1] : fields[0];
        key->setText(QStringLiteral("sk-edited"));
        modelField->setText(QStringLiteral("deepseek-reasoner"));
        if (byClosing) {
            window.close();
        } else {
            window.select(Pane::account);
        }
        EXPECT_EQ(model.deepSeekKey(), QStringLiteral("sk-edited")) << byClosing;
        EXPECT_EQ(model.deepSeekModel(), QStringLiteral("deepseek-reasoner")) << byClosing;
        EXPECT_EQ(model.keyWrites, 1) << byClosing;
        // Nothing edited since: switching again writes nothing.
        window.select(Pane::general);
        EXPECT_EQ(model.keyWrites, 1) << byClosing;
    }
}

TEST_F(PreferencesWindowTest, FollowsTheLanguageLiveAndItsPopUpSetsIt) {
    PreferencesWindowController window(hotKeys, {});
    window.show();
    L10n::setOverride(L10n::Language::ja);
    // The pages replaced by the rebuild go on the next loop turn.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.windowTitle(), L10n::text(L10n::Language::ja, QStringLiteral("prefs.title")));
    auto* popUp = window.findChild<QComboBox*>();
    ASSERT_NE(popUp, nullptr);
    EXPECT_EQ(popUp->currentData().toString(), QStringLiteral("ja"));
    // The system item clears the override.
    popUp->setCurrentIndex(0);
    Q_EMIT popUp->activated(0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(L10n::overrideLanguage().has_value());
    EXPECT_EQ(window.windowTitle(), L10n::text(QStringLiteral("prefs.title")));
}

// Restore default: a held default is refused in the message row and changes nothing; a free one
// is taken, announced to the owner and pressing it reaches the controller.
TEST_F(PreferencesWindowTest, RestoreDefaultShowsARefusalInlineOrTakesEffectAtOnce) {
    const tessary::HotKeyCombination ctrlOptS{
        tessary::HotKeyModifiers::control | tessary::HotKeyModifiers::option, 1};
    QSettings().setValue(QStringLiteral("TessaryHotKeyCombination"), QStringLiteral("ctrl+opt:1"));
    hotKeys.activate();
    ASSERT_EQ(hotKeys.active(), ctrlOptS);
    int announced = 0;
    PreferencesWindowController::lastPaneSetting().set(QStringLiteral("capture"));
    PreferencesWindowController window(hotKeys, [&announced] { ++announced; });
    window.show();
    auto restoreButton = [&window] {
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->text() == L10n::text(QStringLiteral("prefs.hotkey.restoreDefault"))) {
                return button;
            }
        }
        return static_cast<QPushButton*>(nullptr);
    };
    const QString refusal =
        L10n::format(QStringLiteral("prefs.hotkey.conflict"), {QStringLiteral("Ctrl+Alt+A")});
    auto shownMessage = [&window, &refusal] {
        for (QLabel* label : window.findChildren<QLabel*>()) {
            if (label->text() == refusal) {
                return label->isVisibleTo(&window);
            }
        }
        return false;
    };

    scope.platform().fakeGlobalHotKeys().setHeldByOthers({tessary::HotKeyCombination::defaultCombination()});
    ASSERT_NE(restoreButton(), nullptr);
    restoreButton()->click();
    EXPECT_TRUE(shownMessage());
    EXPECT_EQ(hotKeys.active(), ctrlOptS);
    EXPECT_EQ(announced, 0);

    scope.platform().fakeGlobalHotKeys().setHeldByOthers({});
    QSignalSpy pressed(&hotKeys, &HotKeyController::triggered);
    restoreButton()->click();
    EXPECT_FALSE(shownMessage());
    EXPECT_EQ(hotKeys.active(), tessary::HotKeyCombination::defaultCombination());
    EXPECT_EQ(window.recorder()->combination(), tessary::HotKeyCombination::defaultCombination());
    EXPECT_EQ(announced, 1);
    EXPECT_TRUE(scope.platform().fakeGlobalHotKeys().press(tessary::HotKeyCombination::defaultCombination()));
    EXPECT_TRUE(pressed.wait(1000));
}
