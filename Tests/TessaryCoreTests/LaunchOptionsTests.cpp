#include "TessaryCore/LaunchOptions.h"

#include <gtest/gtest.h>

using tessary::AutoAction;
using tessary::LaunchOptions;
using tessary::Rect;

namespace {

LaunchOptions parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/usr/bin/tessary");
    return LaunchOptions::parse(arguments);
}

} // namespace

TEST(LaunchOptions, NoArgumentsGivesEveryDefault) {
    const LaunchOptions o = parse({});
    EXPECT_FALSE(o.captureImmediately || o.demoSelection || o.demoAnnotations || o.devOpenPreferences ||
                 o.devStartRecording || o.devLegacyFullRedraw);
    EXPECT_FALSE(o.autoAction || o.devSavePath || o.devSelectionRect || o.devScrollFramesDirectory ||
                 o.devScrollDuration || o.devScrollOutputPath || o.devAlignConfirmAfter ||
                 o.devWindowShotPath || o.devWindowShotAfter || o.devLaunchAtLogin || o.devRestartAfter ||
                 o.devPerfOutputPath || o.devRecordHotKey);
    EXPECT_EQ(o.devPerfProbeFrames, 0);
}

TEST(LaunchOptions, FlagsMatchOnlyTheExactSwitch) {
    EXPECT_TRUE(parse({"--capture-now"}).captureImmediately);
    EXPECT_FALSE(parse({"--capture-now=yes"}).captureImmediately);
    EXPECT_FALSE(parse({"--capture-nowx"}).captureImmediately);
    EXPECT_TRUE(parse({"x", "--dev-legacy-full-redraw"}).devLegacyFullRedraw);
}

TEST(LaunchOptions, ValueSwitchesTakeTheFirstOccurrenceAndEverythingAfterTheFirstEquals) {
    EXPECT_EQ(parse({"--dev-save-to=/tmp/a=b.png"}).devSavePath, "/tmp/a=b.png");
    EXPECT_EQ(parse({"--dev-save-to=/first.png", "--dev-save-to=/second.png"}).devSavePath, "/first.png");
    EXPECT_EQ(parse({"--dev-save-to="}).devSavePath, "");
    EXPECT_FALSE(parse({"--dev-save-to", "/x.png"}).devSavePath);
    // Text is kept as it is: no trimming, no expansion.
    EXPECT_EQ(parse({"--dev-scroll-out= ~/x "}).devScrollOutputPath, " ~/x ");
}

TEST(LaunchOptions, AutoActionIsCaseSensitive) {
    const struct {
        const char* value;
        std::optional<AutoAction> expected;
    } cases[] = {{"confirm", AutoAction::confirm}, {"save", AutoAction::save},
                 {"pin", AutoAction::pin},         {"ocr", AutoAction::ocr},
                 {"scroll", AutoAction::scroll},   {"translate", AutoAction::translate},
                 {"Save", std::nullopt},           {"", std::nullopt},
                 {"save ", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(parse({std::string("--dev-auto-action=") + c.value}).autoAction, c.expected) << c.value;
    }
}

TEST(LaunchOptions, PerfProbeFramesAcceptOnlyASignedDecimalInteger) {
    const struct {
        const char* value;
        long long expected;
    } cases[] = {{"120", 120},
                 {"+120", 120},
                 {"-5", -5},
                 {"12a", 0},
                 {" 12", 0},
                 {"12 ", 0},
                 {"", 0},
                 {"+", 0},
                 {"--1", 0},
                 {"0x10", 0},
                 {"9223372036854775807", 9223372036854775807LL},
                 {"9223372036854775808", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(parse({std::string("--dev-perf-probe=") + c.value}).devPerfProbeFrames, c.expected)
            << c.value;
    }
}

TEST(LaunchOptions, NumbersMustParseCompletely) {
    const struct {
        const char* value;
        std::optional<double> expected;
    } cases[] = {{"2.5", 2.5},         {"+3", 3.0},           {"-0.5", -0.5},
                 {"1e2", 100.0},       {"3s", std::nullopt},  {"", std::nullopt},
                 {" 1", std::nullopt}, {"nan", std::nullopt}, {"1,5", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(parse({std::string("--dev-restart-after=") + c.value}).devRestartAfter, c.expected)
            << c.value;
    }
}

TEST(LaunchOptions, SelectionRectNeedsExactlyFourNumbers) {
    const struct {
        const char* value;
        std::optional<Rect> expected;
    } cases[] = {{"10,20,300,200", Rect{10, 20, 300, 200}},
                 {"10,20,,300,200", Rect{10, 20, 300, 200}},
                 {"10.25,20.5,300,200", Rect{10.25, 20.5, 300, 200}},
                 {"10,20,x,300,200", Rect{10, 20, 300, 200}},
                 {"10,20,300", std::nullopt},
                 {"10,20,300,200,5", std::nullopt},
                 {"", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(parse({std::string("--dev-selection-rect=") + c.value}).devSelectionRect, c.expected)
            << c.value;
    }
}
