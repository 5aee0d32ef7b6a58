#include "TessaryCore/DeepSeekReply.h"

#include "TessaryCore/TranslationFailure.h"
#include "TessaryCore/UnicodeText.h"

#include <nlohmann/json.hpp>
#include <unicode/brkiter.h>
#include <unicode/ustring.h>

#include <cmath>
#include <memory>
#include <optional>

namespace tessary::DeepSeekReply {

namespace {

constexpr std::size_t excerptBytes = 300;
constexpr int32_t contentPreviewCharacters = 120;

std::optional<nlohmann::json> decode(std::string_view text) {
    nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

bool isLineBreak(UChar32 c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

icu::UnicodeString trimmedText(const icu::UnicodeString& text) {
    return UnicodeText::trimmed(text, UnicodeText::isWhitespaceOrNewline);
}

// The first `count` user-perceived characters.
std::string prefixCharacters(std::string_view text, int32_t count) {
    const icu::UnicodeString utf16 = UnicodeText::toUtf16(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> graphemes(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) {
        return UnicodeText::toUtf8(utf16.tempSubString(0, count));
    }
    graphemes->setText(utf16);
    int32_t end = graphemes->first();
    for (int32_t i = 0; i < count; ++i) {
        const int32_t next = graphemes->next();
        if (next == icu::BreakIterator::DONE) {
            break;
        }
        end = next;
    }
    return UnicodeText::toUtf8(utf16.tempSubString(0, end));
}

// Integers, and whole numbers written with a fraction (1.0), as the platform's number bridging reads them.
std::optional<std::size_t> itemId(const nlohmann::json& id, std::size_t expecting) {
    if (id.is_number_unsigned()) {
        const auto value = id.get<std::uint64_t>();
        return value < expecting ? std::optional<std::size_t>(value) : std::nullopt;
    }
    if (id.is_number_integer()) {
        const auto value = id.get<std::int64_t>();
        return value >= 0 && static_cast<std::uint64_t>(value) < expecting
                   ? std::optional<std::size_t>(static_cast<std::size_t>(value))
                   : std::nullopt;
    }
    if (id.is_number_float()) {
        const double value = id.get<double>();
        if (std::isfinite(value) && value >= 0 && value < static_cast<double>(expecting) &&
            std::floor(value) == value) {
            return static_cast<std::size_t>(value);
        }
    }
    return std::nullopt;
}

bool isUtf8Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

bool isWellFormedUtf8(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    return status != U_INVALID_CHAR_FOUND && status != U_ILLEGAL_ARGUMENT_ERROR;
}

} // namespace

std::vector<std::string> parse(std::string_view data, std::size_t expecting) {
    const std::optional<nlohmann::json> reply = decode(data);
    const nlohmann::json* content = nullptr;
    if (reply && reply->is_object()) {
        const auto choices = reply->find("choices");
        if (choices != reply->end() && choices->is_array() && !choices->empty() &&
            choices->front().is_object()) {
            const auto message = choices->front().find("message");
            if (message != choices->front().end() && message->is_object()) {
                const auto text = message->find("content");
                if (text != message->end() && text->is_string()) {
                    content = &*text;
                }
            }
        }
    }
    if (content == nullptr) {
        throw TranslationFailure::invalidResponse("响应结构不是预期的 choices/message/content");
    }
    const std::string& raw = content->get_ref<const std::string&>();
    const std::optional<nlohmann::json> payload = decode(stripCodeFence(raw));
    const nlohmann::json* items = nullptr;
    if (payload && payload->is_object()) {
        const auto found = payload->find("items");
        if (found != payload->end() && found->is_array()) {
            items = &*found;
        }
    }
    if (items == nullptr) {
        throw TranslationFailure::invalidResponse("模型返回的不是约定的 JSON：" +
                                                  prefixCharacters(raw, contentPreviewCharacters));
    }

    std::vector<std::string> result(expecting);
    std::vector<bool> seen(expecting, false);
    std::size_t distinct = 0;
    for (const nlohmann::json& item : *items) {
        if (!item.is_object()) {
            continue;
        }
        const auto idField = item.find("id");
        if (idField == item.end()) {
            continue;
        }
        const std::optional<std::size_t> id = itemId(*idField, expecting);
        if (!id) {
            continue;
        }
        const auto text = item.find("text");
        result[*id] = text != item.end() && text->is_string() ? text->get<std::string>() : std::string();
        if (!seen[*id]) {
            seen[*id] = true;
            ++distinct;
        }
    }
    if (distinct != expecting) {
        throw TranslationFailure::countMismatch(static_cast<int>(expecting), static_cast<int>(distinct));
    }
    return result;
}

std::string stripCodeFence(std::string_view content) {
    icu::UnicodeString text = trimmedText(UnicodeText::toUtf16(content));
    if (!text.startsWith(icu::UnicodeString(u"```"))) {
        return UnicodeText::toUtf8(text);
    }
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        if (isLineBreak(text.char32At(i))) {
            text.remove(0, text.moveIndex32(i, 1));
            break;
        }
    }
    if (text.endsWith(icu::UnicodeString(u"```"))) {
        text.truncate(text.length() - 3);
    }
    return UnicodeText::toUtf8(trimmedText(text));
}

std::string errorBodyExcerpt(std::string_view data) {
    std::string_view excerpt = data.substr(0, excerptBytes);
    if (excerpt.size() < data.size() &&
        isUtf8Continuation(static_cast<unsigned char>(data[excerpt.size()]))) {
        // The limit cut a character in two: drop its first half.
        std::size_t lead = excerpt.size();
        while (lead > 0 && isUtf8Continuation(static_cast<unsigned char>(excerpt[lead - 1]))) {
            --lead;
        }
        excerpt = excerpt.substr(0, lead > 0 ? lead - 1 : 0);
    }
    return isWellFormedUtf8(excerpt) ? std::string(excerpt) : std::string();
}

} // namespace tessary::DeepSeekReply
