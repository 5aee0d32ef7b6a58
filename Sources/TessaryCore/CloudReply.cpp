#include "TessaryCore/CloudReply.h"

#include "TessaryCore/TranslationFailure.h"

#include <nlohmann/json.hpp>

#include <set>

namespace tessary::CloudReply {

namespace {

using nlohmann::json;

// Why a body did not decode; turned into invalidResponse at the edge.
struct DecodingError {
    std::string description;
};

const json& member(const json& object, const char* name, const std::string& path) {
    const auto found = object.find(name);
    if (found == object.end()) {
        throw DecodingError{"缺少字段 " + path + name};
    }
    return *found;
}

[[noreturn]] void mistyped(const char* name, const std::string& path, const char* expected) {
    throw DecodingError{"字段 " + path + name + " 应为" + expected};
}

const json& object(const json& parent, const char* name, const std::string& path) {
    const json& value = member(parent, name, path);
    if (!value.is_object()) {
        mistyped(name, path, "对象");
    }
    return value;
}

std::int64_t integer(const json& parent, const char* name, const std::string& path) {
    const json& value = member(parent, name, path);
    if (value.is_number_integer() &&
        !(value.is_number_unsigned() && value.get<std::uint64_t>() > INT64_MAX)) {
        return value.get<std::int64_t>();
    }
    mistyped(name, path, "整数");
}

std::string text(const json& parent, const char* name, const std::string& path) {
    const json& value = member(parent, name, path);
    if (!value.is_string()) {
        mistyped(name, path, "字符串");
    }
    return value.get<std::string>();
}

bool flag(const json& parent, const char* name, const std::string& path) {
    const json& value = member(parent, name, path);
    if (!value.is_boolean()) {
        mistyped(name, path, "布尔值");
    }
    return value.get<bool>();
}

CloudDate::Time date(const json& parent, const char* name, const std::string& path) {
    const std::string raw = text(parent, name, path);
    const std::optional<CloudDate::Time> parsed = CloudDate::parse(raw);
    if (!parsed) {
        throw DecodingError{"时间格式不对: " + raw};
    }
    return *parsed;
}

CloudQuota quotaFrom(const json& value, const std::string& path) {
    CloudQuota quota;
    quota.used = integer(value, "used", path);
    quota.limit = integer(value, "limit", path);
    // Absent and null both mean "not stated".
    if (const auto unlimited = value.find("unlimited"); unlimited != value.end() && !unlimited->is_null()) {
        quota.unlimited = flag(value, "unlimited", path);
    }
    quota.resetAt = date(value, "resetAt", path);
    return quota;
}

json document(std::string_view body) {
    json parsed = json::parse(body, nullptr, false);
    if (parsed.is_discarded()) {
        throw DecodingError{"不是合法的 JSON"};
    }
    if (!parsed.is_object()) {
        throw DecodingError{"顶层不是对象"};
    }
    return parsed;
}

// It goes into a header and the key store: RFC 6750's token characters only, and not endless.
bool isBearerToken(std::string_view token) {
    if (token.empty() || token.size() > 4096) {
        return false;
    }
    for (const char c : token) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                             c == '-' || c == '.' || c == '_' || c == '~' || c == '+' || c == '/' || c == '=';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

TranslationFailure invalid(const DecodingError& error) {
    return TranslationFailure::invalidResponse("响应结构不是预期的：" + error.description);
}

} // namespace

Authentication authentication(std::string_view body) {
    try {
        const json root = document(body);
        Authentication result;
        result.token = text(root, "token", "");
        if (!isBearerToken(result.token)) {
            throw DecodingError{"token 不是合法的令牌"};
        }
        const json& user = object(root, "user", "");
        result.user.id = text(user, "id", "user.");
        result.user.email = text(user, "email", "user.");
        result.user.shareCache = flag(user, "shareCache", "user.");
        result.quota = quotaFrom(object(root, "quota", ""), "quota.");
        return result;
    } catch (const DecodingError& error) {
        throw invalid(error);
    }
}

Translation translation(std::string_view body, std::size_t expecting) {
    Translation result;
    std::set<std::int64_t> seen;
    try {
        const json root = document(body);
        const json& items = member(root, "items", "");
        if (!items.is_array()) {
            mistyped("items", "", "数组");
        }
        const json& stats = object(root, "stats", "");
        result.stats = {integer(stats, "blocks", "stats."), integer(stats, "cacheHit", "stats."),
                        integer(stats, "upstream", "stats."), integer(stats, "upstreamMs", "stats."),
                        integer(stats, "totalMs", "stats.")};
        result.quota = quotaFrom(object(root, "quota", ""), "quota.");
        result.texts.assign(expecting, std::string());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const json& item = items[i];
            const std::string path = "items[" + std::to_string(i) + "].";
            if (!item.is_object()) {
                throw DecodingError{"字段 items[" + std::to_string(i) + "] 应为对象"};
            }
            const std::int64_t id = integer(item, "id", path);
            std::string translated = text(item, "text", path);
            if (id >= 0 && static_cast<std::uint64_t>(id) < expecting && seen.insert(id).second) {
                result.texts[static_cast<std::size_t>(id)] = std::move(translated);
            }
        }
    } catch (const DecodingError& error) {
        throw invalid(error);
    }
    if (seen.size() != expecting) {
        throw TranslationFailure::countMismatch(static_cast<int>(expecting), static_cast<int>(seen.size()));
    }
    return result;
}

std::optional<CloudQuota> storedQuota(std::string_view text) {
    try {
        return quotaFrom(document(text), "");
    } catch (const DecodingError&) {
        return std::nullopt;
    }
}

std::string encodeQuota(const CloudQuota& quota) {
    json value = {
        {"used", quota.used}, {"limit", quota.limit}, {"resetAt", CloudDate::format(quota.resetAt)}};
    if (quota.unlimited) {
        value["unlimited"] = *quota.unlimited;
    }
    return value.dump();
}

} // namespace tessary::CloudReply
