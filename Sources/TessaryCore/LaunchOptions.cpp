#include "TessaryCore/LaunchOptions.h"

#include <array>
#include <charconv>
#include <cctype>
#include <cstdint>

namespace tessary {

namespace {

constexpr std::array<std::pair<AutoAction, std::string_view>, 6> autoActionNames{{
    {AutoAction::confirm, "confirm"},
    {AutoAction::save, "save"},
    {AutoAction::pin, "pin"},
    {AutoAction::ocr, "ocr"},
    {AutoAction::scroll, "scroll"},
    {AutoAction::translate, "translate"},
}};

std::vector<std::string_view> splitDroppingEmpty(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end > start) {
            pieces.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

} // namespace

std::string_view rawValue(AutoAction action) {
    for (const auto& [value, name] : autoActionNames) {
        if (value == action) {
            return name;
        }
    }
    return {};
}

std::optional<AutoAction> autoActionFromRawValue(std::string_view raw) {
    for (const auto& [value, name] : autoActionNames) {
        if (name == raw) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> LaunchOptions::value(std::string_view name, const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument.size() > name.size() && argument.compare(0, name.size(), name) == 0 &&
            argument[name.size()] == '=') {
            return argument.substr(name.size() + 1);
        }
    }
    return std::nullopt;
}

bool LaunchOptions::flag(std::string_view name, const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == name) {
            return true;
        }
    }
    return false;
}

std::optional<double> LaunchOptions::parseDouble(std::string_view text) {
    // from_chars is locale-independent (Qt sets the C library locale from the environment);
    // it refuses a leading '+', which a decimal number may carry, so that is taken off first.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    for (char c : text) {
        // Words such as "inf" and "nan" are not decimal numbers of a switch.
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' ||
              c == 'E')) {
            return std::nullopt;
        }
    }
    double result = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec != std::errc() || ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return result;
}

std::optional<long long> LaunchOptions::parseInteger(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned long long magnitude = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec != std::errc() || ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    constexpr unsigned long long maxPositive = static_cast<unsigned long long>(INT64_MAX);
    if (negative) {
        if (magnitude > maxPositive + 1) {
            return std::nullopt;
        }
        return magnitude == maxPositive + 1 ? INT64_MIN : -static_cast<long long>(magnitude);
    }
    if (magnitude > maxPositive) {
        return std::nullopt;
    }
    return static_cast<long long>(magnitude);
}

std::optional<Rect> LaunchOptions::parseRect(std::string_view text) {
    std::vector<double> numbers;
    for (std::string_view piece : splitDroppingEmpty(text, ',')) {
        if (auto number = parseDouble(piece)) {
            numbers.push_back(*number);
        }
    }
    if (numbers.size() != 4) {
        return std::nullopt;
    }
    return Rect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

LaunchOptions LaunchOptions::parse(const std::vector<std::string>& arguments) {
    LaunchOptions options;
    auto number = [&](std::string_view name) -> std::optional<double> {
        if (auto text = value(name, arguments)) {
            return parseDouble(*text);
        }
        return std::nullopt;
    };
    options.captureImmediately = flag("--capture-now", arguments);
    options.demoSelection = flag("--dev-demo-selection", arguments);
    options.demoAnnotations = flag("--dev-demo-annotations", arguments);
    if (auto text = value("--dev-auto-action", arguments)) {
        options.autoAction = autoActionFromRawValue(*text);
    }
    options.devSavePath = value("--dev-save-to", arguments);
    if (auto text = value("--dev-selection-rect", arguments)) {
        options.devSelectionRect = parseRect(*text);
    }
    options.devScrollFramesDirectory = value("--dev-scroll-frames", arguments);
    options.devScrollDuration = number("--dev-scroll-duration");
    options.devScrollOutputPath = value("--dev-scroll-out", arguments);
    options.devAlignConfirmAfter = number("--dev-align-confirm-after");
    options.devOpenPreferences = flag("--dev-open-preferences", arguments);
    options.devStartRecording = flag("--dev-start-recording", arguments);
    if (auto text = value("--dev-record-hotkey", arguments)) {
        options.devRecordHotKey = HotKeyCombination::fromPersistedString(*text);
    }
    options.devWindowShotPath = value("--dev-window-shot", arguments);
    options.devWindowShotAfter = number("--dev-window-shot-after");
    options.devLaunchAtLogin = value("--dev-launch-at-login", arguments);
    options.devRestartAfter = number("--dev-restart-after");
    if (auto text = value("--dev-perf-probe", arguments)) {
        options.devPerfProbeFrames = parseInteger(*text).value_or(0);
    }
    options.devLegacyFullRedraw = flag("--dev-legacy-full-redraw", arguments);
    options.devPerfOutputPath = value("--dev-perf-out", arguments);
    return options;
}

} // namespace tessary
