#include "TessaryCore/OsRelease.h"

#include <map>

namespace tessary::OsRelease {

namespace {

std::string unquoted(std::string_view raw) {
    std::string value;
    char quote = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (quote == 0 && (c == '"' || c == '\'')) {
            quote = c;
        } else if (quote != 0 && c == quote) {
            quote = 0;
        } else if (c == '\\' && quote != '\'' && i + 1 < raw.size()) {
            value += raw[++i];
        } else {
            value += c;
        }
    }
    return value;
}

std::map<std::string, std::string, std::less<>> assignments(std::string_view text) {
    std::map<std::string, std::string, std::less<>> values;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos || equals == 0) {
            continue;
        }
        values[std::string(line.substr(0, equals))] = unquoted(line.substr(equals + 1));
    }
    return values;
}

} // namespace

std::string description(std::string_view fileText) {
    const auto values = assignments(fileText);
    const auto lookup = [&values](std::string_view key) {
        const auto found = values.find(key);
        return found == values.end() ? std::string() : found->second;
    };
    if (std::string pretty = lookup("PRETTY_NAME"); !pretty.empty()) {
        return pretty;
    }
    const std::string name = lookup("NAME");
    const std::string version = lookup("VERSION_ID");
    if (name.empty() || version.empty()) {
        return name.empty() ? version : name;
    }
    return name + " " + version;
}

} // namespace tessary::OsRelease
