#pragma once

#include <optional>
#include <string>
#include <string_view>

// Names the dominant language of a text. Thread-safe.
namespace LanguageDetector {

// The language of `text` (UTF-8) as a language identifier ("en", "zh-Hans", "zh-Hant", "ja", ...),
// or nothing when the text is shorter than two characters after trimming or no language holds at
// least 60 % of it. English, Simplified Chinese and Japanese are favoured, gently: a prior only
// tips the balance between candidates that hold similar shares of the text.
std::optional<std::string> dominantLanguage(std::string_view text);

// Same language and script; see tessary::LanguageIdentity.
bool isSameLanguage(std::string_view a, std::string_view b);

} // namespace LanguageDetector
