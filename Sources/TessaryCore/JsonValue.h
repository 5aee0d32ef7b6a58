#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessary {

// A parsed JSON value (RFC 8259), for small documents that come from outside. Parsing is strict:
// no comments, trailing commas, ill-formed UTF-8, lone surrogates or duplicate object keys, and
// nesting is bounded so hostile input cannot exhaust the stack.
class JsonValue {
public:
    enum class Type { null, boolean, number, string, array, object };

    static std::optional<JsonValue> parse(std::string_view text);

    Type type() const { return m_type; }
    bool boolean() const { return m_boolean; }
    // A number written without fraction or exponent that fits a signed 64-bit integer.
    std::optional<std::int64_t> integer() const { return m_integer; }
    const std::string& string() const { return m_string; }
    const std::vector<JsonValue>& elements() const { return m_elements; }
    const std::vector<std::pair<std::string, JsonValue>>& members() const { return m_members; }
    // The member named `key` of an object, or null.
    const JsonValue* member(std::string_view key) const;

    // `text` as a JSON string literal, quotes included.
    static std::string quoted(std::string_view text);

    static constexpr int maximumDepth = 64;

private:
    friend class JsonParser;
    Type m_type = Type::null;
    bool m_boolean = false;
    std::optional<std::int64_t> m_integer;
    std::string m_string;
    std::vector<JsonValue> m_elements;
    std::vector<std::pair<std::string, JsonValue>> m_members;
};

} // namespace tessary
