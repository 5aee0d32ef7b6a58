#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/HotKeyCombination.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

enum class AutoAction { confirm, save, pin, ocr, scroll, translate };

std::string_view rawValue(AutoAction action);
std::optional<AutoAction> autoActionFromRawValue(std::string_view raw);

// The command-line switches, parsed once from the whole argument list. Parsing never
// fails: a malformed value leaves its field at the default.
struct LaunchOptions {
    bool captureImmediately = false;
    bool demoSelection = false;
    bool demoAnnotations = false;
    std::optional<AutoAction> autoAction;
    std::optional<std::string> devSavePath;
    std::optional<Rect> devSelectionRect;
    std::optional<std::string> devScrollFramesDirectory;
    std::optional<double> devScrollDuration;
    std::optional<std::string> devScrollOutputPath;
    std::optional<double> devAlignConfirmAfter;
    bool devOpenPreferences = false;
    bool devStartRecording = false;
    std::optional<HotKeyCombination> devRecordHotKey;
    std::optional<std::string> devWindowShotPath;
    std::optional<double> devWindowShotAfter;
    std::optional<std::string> devLaunchAtLogin;
    std::optional<double> devRestartAfter;
    long long devPerfProbeFrames = 0;
    bool devLegacyFullRedraw = false;
    std::optional<std::string> devPerfOutputPath;

    static LaunchOptions parse(const std::vector<std::string>& arguments);

    // Remainder after "<name>=" of the first argument that starts with it; the bare switch does not match.
    static std::optional<std::string> value(std::string_view name, const std::vector<std::string>& arguments);
    static bool flag(std::string_view name, const std::vector<std::string>& arguments);

    // Strict decimal floating-point: the whole text must parse (no spaces, no hex, finite or not as strtod says).
    static std::optional<double> parseDouble(std::string_view text);
    // "+120" → 120; any other character, spaces or overflow → nullopt.
    static std::optional<long long> parseInteger(std::string_view text);
    // "10,20,300,200" → {10, 20, 300, 200}; empty and unparsable pieces are dropped; exactly four numbers required.
    static std::optional<Rect> parseRect(std::string_view text);
};

} // namespace tessary
