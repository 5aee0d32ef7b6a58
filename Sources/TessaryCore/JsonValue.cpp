#include "TessaryCore/JsonValue.h"

#include <charconv>
#include <set>

namespace tessary {

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> document() {
        JsonValue value;
        skipSpace();
        if (!parseValue(value, 0)) {
            return std::nullopt;
        }
        skipSpace();
        if (m_position != m_text.size()) {
            return std::nullopt;
        }
        return value;
    }

private:
    bool atEnd() const { return m_position >= m_text.size(); }
    char peek() const { return m_text[m_position]; }

    void skipSpace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
            ++m_position;
        }
    }

    bool consumeLiteral(std::string_view literal) {
        if (m_text.substr(m_position, literal.size()) != literal) {
            return false;
        }
        m_position += literal.size();
        return true;
    }

    bool parseValue(JsonValue& value, int depth) {
        if (atEnd()) {
            return false;
        }
        switch (peek()) {
        case '{':
            return depth < JsonValue::maximumDepth && parseObject(value, depth + 1);
        case '[':
            return depth < JsonValue::maximumDepth && parseArray(value, depth + 1);
        case '"':
            value.m_type = JsonValue::Type::string;
            return parseString(value.m_string);
        case 't':
            value.m_type = JsonValue::Type::boolean;
            value.m_boolean = true;
            return consumeLiteral("true");
        case 'f':
            value.m_type = JsonValue::Type::boolean;
            return consumeLiteral("false");
        case 'n':
            value.m_type = JsonValue::Type::null;
            return consumeLiteral("null");
        default:
            return parseNumber(value);
        }
    }

    bool parseObject(JsonValue& value, int depth) {
        value.m_type = JsonValue::Type::object;
        ++m_position;
        skipSpace();
        if (!atEnd() && peek() == '}') {
            ++m_position;
            return true;
        }
        std::set<std::string, std::less<>> keys;
        while (true) {
            skipSpace();
            std::string key;
            if (atEnd() || peek() != '"' || !parseString(key)) {
                return false;
            }
            // Two readers of a document with a repeated key may see different manifests.
            if (!keys.insert(key).second) {
                return false;
            }
            skipSpace();
            if (atEnd() || peek() != ':') {
                return false;
            }
            ++m_position;
            skipSpace();
            JsonValue member;
            if (!parseValue(member, depth)) {
                return false;
            }
            value.m_members.emplace_back(std::move(key), std::move(member));
            skipSpace();
            if (atEnd()) {
                return false;
            }
            const char next = m_text[m_position++];
            if (next == '}') {
                return true;
            }
            if (next != ',') {
                return false;
            }
        }
    }

    bool parseArray(JsonValue& value, int depth) {
        value.m_type = JsonValue::Type::array;
        ++m_position;
        skipSpace();
        if (!atEnd() && peek() == ']') {
            ++m_position;
            return true;
        }
        while (true) {
            skipSpace();
            JsonValue element;
            if (!parseValue(element, depth)) {
                return false;
            }
            value.m_elements.push_back(std::move(element));
            skipSpace();
            if (atEnd()) {
                return false;
            }
            const char next = m_text[m_position++];
            if (next == ']') {
                return true;
            }
            if (next != ',') {
                return false;
            }
        }
    }

    bool parseNumber(JsonValue& value) {
        value.m_type = JsonValue::Type::number;
        const size_t start = m_position;
        const auto digits = [this] {
            const size_t from = m_position;
            while (!atEnd() && peek() >= '0' && peek() <= '9') {
                ++m_position;
            }
            return m_position - from;
        };
        if (!atEnd() && peek() == '-') {
            ++m_position;
        }
        if (atEnd()) {
            return false;
        }
        if (peek() == '0') {
            ++m_position;
        } else if (digits() == 0) {
            return false;
        }
        bool integral = true;
        if (!atEnd() && peek() == '.') {
            ++m_position;
            integral = false;
            if (digits() == 0) {
                return false;
            }
        }
        if (!atEnd() && (peek() == 'e' || peek() == 'E')) {
            ++m_position;
            integral = false;
            if (!atEnd() && (peek() == '+' || peek() == '-')) {
                ++m_position;
            }
            if (digits() == 0) {
                return false;
            }
        }
        if (integral) {
            std::int64_t number = 0;
            const char* first = m_text.data() + start;
            const char* last = m_text.data() + m_position;
            const auto [end, error] = std::from_chars(first, last, number);
            if (error == std::errc() && end == last) {
                value.m_integer = number;
            }
        }
        return true;
    }

    static void appendUtf8(std::string& out, char32_t c) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }

    std::optional<char32_t> hexQuad() {
        if (m_text.size() - m_position < 4) {
            return std::nullopt;
        }
        char32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_position++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<char32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<char32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<char32_t>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        return value;
    }

    bool parseEscape(std::string& out) {
        if (atEnd()) {
            return false;
        }
        const char c = m_text[m_position++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            out.push_back(c);
            return true;
        case 'b':
            out.push_back('\b');
            return true;
        case 'f':
            out.push_back('\f');
            return true;
        case 'n':
            out.push_back('\n');
            return true;
        case 'r':
            out.push_back('\r');
            return true;
        case 't':
            out.push_back('\t');
            return true;
        case 'u':
            break;
        default:
            return false;
        }
        const auto unit = hexQuad();
        if (!unit || (*unit >= 0xDC00 && *unit <= 0xDFFF)) {
            return false;
        }
        char32_t scalar = *unit;
        if (*unit >= 0xD800 && *unit <= 0xDBFF) {
            if (!consumeLiteral("\\u")) {
                return false;
            }
            const auto low = hexQuad();
            if (!low || *low < 0xDC00 || *low > 0xDFFF) {
                return false;
            }
            scalar = 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
        }
        appendUtf8(out, scalar);
        return true;
    }

    // One well-formed UTF-8 sequence (no overlongs, surrogates or values above U+10FFFF).
    bool copyUtf8(std::string& out) {
        const auto byte = [this](size_t offset) {
            return static_cast<unsigned char>(m_text[m_position + offset]);
        };
        const unsigned char lead = byte(0);
        size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (m_text.size() - m_position < length) {
            return false;
        }
        for (size_t i = 1; i < length; ++i) {
            const unsigned char b = byte(i);
            if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) {
                return false;
            }
        }
        out.append(m_text.substr(m_position, length));
        m_position += length;
        return true;
    }

    bool parseString(std::string& out) {
        ++m_position;
        while (!atEnd()) {
            const auto c = static_cast<unsigned char>(peek());
            if (c == '"') {
                ++m_position;
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\') {
                ++m_position;
                if (!parseEscape(out)) {
                    return false;
                }
            } else if (c < 0x80) {
                out.push_back(static_cast<char>(c));
                ++m_position;
            } else if (!copyUtf8(out)) {
                return false;
            }
        }
        return false;
    }

    std::string_view m_text;
    size_t m_position = 0;
};

std::optional<JsonValue> JsonValue::parse(std::string_view text) {
    return JsonParser(text).document();
}

const JsonValue* JsonValue::member(std::string_view key) const {
    for (const auto& [name, value] : m_members) {
        if (name == key) {
            return &value;
        }
    }
    return nullptr;
}

std::string JsonValue::quoted(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20) {
            out += "\\u00";
            out.push_back(hex[byte >> 4]);
            out.push_back(hex[byte & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

} // namespace tessary
