#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tessary {

// The translation back ends. The raw value is what the settings store persists.
enum class TranslationEngineKind { velmora, deepseek };

inline constexpr std::array<TranslationEngineKind, 2> allTranslationEngineKinds{
    TranslationEngineKind::velmora, TranslationEngineKind::deepseek};

constexpr std::string_view rawValue(TranslationEngineKind kind) {
    switch (kind) {
    case TranslationEngineKind::velmora:
        return "velmora";
    case TranslationEngineKind::deepseek:
        return "deepseek";
    }
    return "velmora";
}

constexpr std::string_view localizationKey(TranslationEngineKind kind) {
    switch (kind) {
    case TranslationEngineKind::velmora:
        return "translate.engine.velmora";
    case TranslationEngineKind::deepseek:
        return "translate.engine.deepseek";
    }
    return "translate.engine.velmora";
}

constexpr std::optional<TranslationEngineKind> translationEngineKindFromRawValue(std::string_view raw) {
    for (const auto kind : allTranslationEngineKinds) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

} // namespace tessary
