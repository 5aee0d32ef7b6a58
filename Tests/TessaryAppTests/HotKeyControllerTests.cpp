#include "FakePlatformScope.h"
#include "HotKeys/HotKeyController.h"
#include "HotKeys/HotKeySettings.h"

#include <QCoreApplication>
#include <QSettings>
#include <gtest/gtest.h>

using tessary::HotKeyCombination;
using tessary::HotKeyModifiers;
using Result = HotKeyController::ApplyResult;
using Set = std::unordered_set<HotKeyCombination>;

namespace {

constexpr HotKeyModifiers ctrl = HotKeyModifiers::control;
constexpr HotKeyModifiers opt = HotKeyModifiers::option;
constexpr HotKeyModifiers shift = HotKeyModifiers::shift;
constexpr HotKeyModifiers cmd = HotKeyModifiers::command;
const HotKeyCombination defaultCombo = HotKeyCombination::defaultCombination();
const HotKeyCombination shiftCmdX{shift | cmd, 7};
const HotKeyCombination ctrlOptS{ctrl | opt, 1};

const char* const combinationKey = HotKeySettings::combinationKey;
const char* const legacyKey = HotKeySettings::legacyIdentifierKey;

QVariant stored(const char* key) {
    return QSettings().value(QLatin1String(key));
}
void store(const char* key, const QString& value) {
    QSettings().setValue(QLatin1String(key), value);
}
std::vector<HotKeyCombination> registeredIn(FakeGlobalHotKeys& hotKeys) {
    std::vector<HotKeyCombination> result;
    for (const auto& [id, combination] : hotKeys.registrations()) {
        result.push_back(combination);
    }
    return result;
}

// One fake platform and clean settings per test.
class HotKeyControllerTest : public testing::Test {
protected:
    void SetUp() override { QSettings().clear(); }
    void TearDown() override { QSettings().clear(); }

    FakeGlobalHotKeys& hotKeys() { return scope.platform().fakeGlobalHotKeys(); }
    FakeSystemShortcuts& systemTable() { return scope.platform().fakeSystemShortcuts(); }
    std::vector<HotKeyCombination> registered() { return registeredIn(hotKeys()); }

    FakePlatformScope scope;
};

TEST(HotKeyControllerTableTest, ActivateRegistersTheStoredChoiceOrFallsBack) {
    struct Case {
        const char* name;
        std::optional<QString> storedCombination;
        std::optional<QString> storedLegacy;
        Set heldByOthers;
        std::optional<HotKeyCombination> active;
        bool fellBack;
        QStringList log;
    };
    const std::vector<Case> cases = {
        {"nothing stored", {}, {}, {}, defaultCombo, false, {}},
        {"stored and free", QStringLiteral("shift+cmd:7"), {}, {}, shiftCmdX, false, {}},
        {"stored reordered", QStringLiteral("cmd+shift:7"), {}, {}, shiftCmdX, false, {}},
        {"stored held elsewhere",
         QStringLiteral("shift+cmd:7"),
         {},
         {shiftCmdX},
         defaultCombo,
         true,
         {QStringLiteral("全局热键：⇧⌘X 已被其他应用占用，尝试回落到默认组合。"),
          QStringLiteral("全局热键：实际生效的是默认组合 ⌃⌥A。")}},
        {"default held elsewhere",
         {},
         {},
         {defaultCombo},
         std::nullopt,
         false,
         {QStringLiteral("全局热键：⌃⌥A 已被其他应用占用，尝试回落到默认组合。"),
          QStringLiteral("全局热键注册失败：⌃⌥A 与默认组合都已被其他应用占用。请从菜单栏发起截图。")}},
        {"both held elsewhere",
         QStringLiteral("shift+cmd:7"),
         {},
         {shiftCmdX, defaultCombo},
         std::nullopt,
         false,
         {QStringLiteral("全局热键：⇧⌘X 已被其他应用占用，尝试回落到默认组合。"),
          QStringLiteral("全局热键注册失败：⇧⌘X 与默认组合都已被其他应用占用。请从菜单栏发起截图。")}},
        {"malformed setting hides the legacy one",
         QStringLiteral("ctrl+alt:0"),
         QStringLiteral("ctrl-opt-s"),
         {},
         defaultCombo,
         false,
         {}},
        {"legacy migrated",
         {},
         QStringLiteral("cmd-shift-7"),
         {},
         HotKeyCombination{shift | cmd, 26},
         false,
         {QStringLiteral("热键偏好迁移：旧标识 cmd-shift-7 → ⇧⌘7。")}},
        {"unknown legacy", {}, QStringLiteral("cmd-shift-9"), {}, defaultCombo, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatformScope local;
        QSettings().clear();
        if (c.storedCombination) {
            store(combinationKey, *c.storedCombination);
        }
        if (c.storedLegacy) {
            store(legacyKey, *c.storedLegacy);
        }
        local.platform().fakeGlobalHotKeys().setHeldByOthers(c.heldByOthers);
        HotKeyController controller(local.platform().globalHotKeys(), local.platform().systemShortcuts());
        controller.activate();
        EXPECT_EQ(controller.active(), c.active);
        EXPECT_EQ(controller.fellBackToDefault(), c.fellBack);
        EXPECT_EQ(local.logLines(), c.log);
        std::vector<HotKeyCombination> expectedRegistered;
        if (c.active) {
            expectedRegistered.push_back(*c.active);
        }
        EXPECT_EQ(registeredIn(local.platform().fakeGlobalHotKeys()), expectedRegistered);
        // A fallback never rewrites the stored choice, so the next launch tries it again.
        if (c.storedCombination) {
            EXPECT_EQ(stored(combinationKey).toString(), *c.storedCombination);
        }
    }
    QSettings().clear();
}

TEST_F(HotKeyControllerTest, LegacyMigrationRewritesTheSettingOnce) {
    store(legacyKey, QStringLiteral("cmd-shift-7"));
    EXPECT_EQ(HotKeySettings::selected(), (HotKeyCombination{shift | cmd, 26}));
    EXPECT_EQ(stored(combinationKey).toString(), QStringLiteral("shift+cmd:26"));
    EXPECT_FALSE(QSettings().contains(QLatin1String(legacyKey)));
    EXPECT_EQ(HotKeySettings::selected(), (HotKeyCombination{shift | cmd, 26}));
    EXPECT_EQ(scope.logLines().size(), 1);

    QSettings().clear();
    store(legacyKey, QStringLiteral("ctrl-opt-z"));
    EXPECT_EQ(HotKeySettings::selected(), std::nullopt);
    EXPECT_EQ(stored(legacyKey).toString(), QStringLiteral("ctrl-opt-z"));
    EXPECT_FALSE(QSettings().contains(QLatin1String(combinationKey)));
}

TEST(HotKeyControllerTableTest, ApplyOutcomes) {
    struct Case {
        const char* name;
        HotKeyCombination candidate;
        Set heldByOthers;
        std::optional<Set> systemTable;
        Result expected;
        std::optional<HotKeyCombination> activeAfter;
        std::optional<QString> storedAfter;
        QStringList log;
    };
    const std::vector<Case> cases = {
        {"plain letter",
         {{}, 0},
         {},
         Set{},
         Result::rejected(HotKeyCombination::Rejection::missingModifier),
         defaultCombo,
         {},
         {}},
        {"plain escape",
         {{}, 53},
         {},
         Set{},
         Result::rejected(HotKeyCombination::Rejection::escapeReserved),
         defaultCombo,
         {},
         {}},
        {"already active", defaultCombo, {}, Set{}, Result::applied(defaultCombo), defaultCombo, {}, {}},
        {"free",
         shiftCmdX,
         {},
         Set{},
         Result::applied(shiftCmdX),
         shiftCmdX,
         QStringLiteral("shift+cmd:7"),
         {QStringLiteral("全局热键：用户改为 ⇧⌘X。")}},
        {"bare function key",
         {{}, 96},
         {},
         Set{},
         Result::applied({{}, 96}),
         HotKeyCombination{{}, 96},
         QStringLiteral(":96"),
         {QStringLiteral("全局热键：用户改为 F5。")}},
        {"desktop shortcut",
         shiftCmdX,
         {},
         Set{shiftCmdX, ctrlOptS},
         Result::systemReserved(),
         defaultCombo,
         {},
         {QStringLiteral("全局热键：⇧⌘X 是 macOS 系统保留的组合，保持原有热键。")}},
        {"held elsewhere",
         shiftCmdX,
         {shiftCmdX},
         Set{},
         Result::conflict(),
         defaultCombo,
         {},
         {QStringLiteral("全局热键：⇧⌘X 已被其他应用占用，保持原有热键。")}},
        {"table unreadable, held elsewhere",
         shiftCmdX,
         {shiftCmdX},
         std::nullopt,
         Result::conflict(),
         defaultCombo,
         {},
         {QStringLiteral("系统快捷键表读不到，跳过系统级冲突检测。"),
          QStringLiteral("全局热键：⇧⌘X 已被其他应用占用，保持原有热键。")}},
        {"table unreadable, free",
         shiftCmdX,
         {},
         std::nullopt,
         Result::applied(shiftCmdX),
         shiftCmdX,
         QStringLiteral("shift+cmd:7"),
         {QStringLiteral("系统快捷键表读不到，跳过系统级冲突检测。"),
          QStringLiteral("全局热键：用户改为 ⇧⌘X。")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatformScope local;
        QSettings().clear();
        HotKeyController controller(local.platform().globalHotKeys(), local.platform().systemShortcuts());
        controller.activate();
        ASSERT_EQ(controller.active(), defaultCombo);
        FakeGlobalHotKeys& fake = local.platform().fakeGlobalHotKeys();
        fake.setHeldByOthers(c.heldByOthers);
        local.platform().fakeSystemShortcuts().setCombinations(c.systemTable);
        const int attemptsBefore = fake.registrationAttempts();

        EXPECT_EQ(controller.apply(c.candidate), c.expected);
        EXPECT_EQ(controller.active(), c.activeAfter);
        ASSERT_EQ(fake.registrations().size(), 1u);
        EXPECT_EQ(fake.registrations().begin()->second, *c.activeAfter);
        EXPECT_EQ(QSettings().contains(QLatin1String(combinationKey)), c.storedAfter.has_value());
        if (c.storedAfter) {
            EXPECT_EQ(stored(combinationKey).toString(), *c.storedAfter);
        }
        EXPECT_EQ(local.logLines(), c.log);
        if (c.expected.kind == Result::Kind::rejected || c.expected.kind == Result::Kind::systemReserved ||
            c.candidate == defaultCombo) {
            EXPECT_EQ(fake.registrationAttempts(), attemptsBefore) << "nothing may be re-registered";
        }
    }
    QSettings().clear();
}

TEST_F(HotKeyControllerTest, ApplyingTheActiveCombinationDoesNotRewriteTheSetting) {
    store(combinationKey, QStringLiteral("cmd+shift:7"));
    HotKeyController controller(hotKeys(), systemTable());
    controller.activate();
    ASSERT_EQ(controller.active(), shiftCmdX);
    EXPECT_EQ(controller.apply(shiftCmdX), Result::applied(shiftCmdX));
    EXPECT_EQ(stored(combinationKey).toString(), QStringLiteral("cmd+shift:7"));
    EXPECT_EQ(systemTable().reads(), 0);
}

TEST_F(HotKeyControllerTest, SuccessfulApplyClearsTheFallback) {
    store(combinationKey, QStringLiteral("shift+cmd:7"));
    hotKeys().setHeldByOthers({shiftCmdX});
    HotKeyController controller(hotKeys(), systemTable());
    controller.activate();
    ASSERT_TRUE(controller.fellBackToDefault());
    // A refused apply restores the default and keeps the flag.
    EXPECT_EQ(controller.apply(shiftCmdX), Result::conflict());
    EXPECT_TRUE(controller.fellBackToDefault());
    EXPECT_EQ(controller.active(), defaultCombo);
    EXPECT_EQ(controller.apply(ctrlOptS), Result::applied(ctrlOptS));
    EXPECT_FALSE(controller.fellBackToDefault());
    EXPECT_EQ(registered(), std::vector<HotKeyCombination>{ctrlOptS});
}

TEST_F(HotKeyControllerTest, ConflictWithoutAWayBackLeavesNothingRegistered) {
    HotKeyController controller(hotKeys(), systemTable());
    controller.activate();
    // Both the new choice and the current one become unavailable between registrations.
    hotKeys().setHeldByOthers({shiftCmdX, defaultCombo});
    EXPECT_EQ(controller.apply(shiftCmdX), Result::conflict());
    EXPECT_EQ(controller.active(), std::nullopt);
    EXPECT_TRUE(registered().empty());
    EXPECT_EQ(scope.logLines(),
              (QStringList{
                  QStringLiteral("全局热键：新组合 ⇧⌘X 注册失败，且旧组合也没能恢复。请从菜单栏发起截图。"),
                  QStringLiteral("全局热键：⇧⌘X 已被其他应用占用，保持原有热键。")}));
    EXPECT_FALSE(QSettings().contains(QLatin1String(combinationKey)));

    // With nothing active a later apply registers normally.
    hotKeys().setHeldByOthers({});
    EXPECT_EQ(controller.apply(shiftCmdX), Result::applied(shiftCmdX));
    EXPECT_EQ(registered(), std::vector<HotKeyCombination>{shiftCmdX});
}

TEST_F(HotKeyControllerTest, EachPressTriggersOnceOnALaterLoopTurn) {
    int actions = 0;
    auto controller = std::make_unique<HotKeyController>(hotKeys(), systemTable());
    QObject::connect(controller.get(), &HotKeyController::triggered, [&] { ++actions; });
    controller->activate();
    ASSERT_TRUE(hotKeys().press(defaultCombo));
    EXPECT_EQ(actions, 0) << "the action must not run inside the key event";
    QCoreApplication::processEvents();
    EXPECT_EQ(actions, 1);
    hotKeys().press(defaultCombo);
    hotKeys().press(defaultCombo);
    QCoreApplication::processEvents();
    EXPECT_EQ(actions, 3);
    EXPECT_FALSE(hotKeys().press(shiftCmdX));

    // A press still queued when the controller goes away does nothing.
    hotKeys().press(defaultCombo);
    controller.reset();
    EXPECT_TRUE(registered().empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(actions, 3);
}

TEST_F(HotKeyControllerTest, APressQueuedForAReplacedRegistrationDoesNothing) {
    int actions = 0;
    HotKeyController controller(hotKeys(), systemTable());
    QObject::connect(&controller, &HotKeyController::triggered, [&] { ++actions; });
    controller.activate();
    hotKeys().setHeldByOthers({shiftCmdX});
    hotKeys().press(defaultCombo);
    // A refused attempt and a successful one, both before the queued press is delivered.
    EXPECT_EQ(controller.apply(shiftCmdX), Result::conflict());
    const quint32 restoredID = hotKeys().registrations().begin()->first;
    EXPECT_EQ(controller.apply(ctrlOptS), Result::applied(ctrlOptS));
    const quint32 newID = hotKeys().registrations().begin()->first;
    EXPECT_GT(newID, restoredID) << "identifiers are spent on every attempt";
    QCoreApplication::processEvents();
    EXPECT_EQ(actions, 0);
    hotKeys().press(ctrlOptS);
    QCoreApplication::processEvents();
    EXPECT_EQ(actions, 1);
}

} // namespace
