#include "TessaryCore/CloudAPIError.h"

#include <nlohmann/json.hpp>

namespace tessary {

CloudAPIError::CloudAPIError(int status, std::string code, std::string message)
    : m_status(status), m_code(std::move(code)), m_message(std::move(message)) {}

CloudAPIError CloudAPIError::fromResponse(int status, std::string_view body) {
    const nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
    if (parsed.is_object()) {
        const auto code = parsed.find("code");
        const auto message = parsed.find("message");
        if (code != parsed.end() && message != parsed.end() && code->is_string() && message->is_string()) {
            return CloudAPIError(status, code->get<std::string>(), message->get<std::string>());
        }
    }
    const std::string number = std::to_string(status);
    return CloudAPIError(status, "http_" + number, "服务端返回 HTTP " + number);
}

CloudAPIError CloudAPIError::badBaseURL(std::string_view baseURL) {
    return CloudAPIError(0, "bad_base_url", "服务器地址不合法：" + std::string(baseURL));
}

CloudAPIError CloudAPIError::invalidResponse() {
    return CloudAPIError(0, "invalid_response", "非 HTTP 响应");
}

} // namespace tessary
