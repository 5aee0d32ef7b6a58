#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace tessary {

// An error the cloud service (or the way to it) reported. Its message is shown to the user as is.
class CloudAPIError : public std::exception {
public:
    CloudAPIError(int status, std::string code, std::string message);

    // A failing HTTP status: the body's own code and message when it is a JSON object with both as
    // strings, else "http_<status>" and a generic text.
    static CloudAPIError fromResponse(int status, std::string_view body);
    static CloudAPIError badBaseURL(std::string_view baseURL);
    static CloudAPIError invalidResponse();

    // 0 when no HTTP response arrived.
    int status() const { return m_status; }
    const std::string& code() const { return m_code; }
    const std::string& message() const { return m_message; }
    const char* what() const noexcept override { return m_message.c_str(); }

    friend bool operator==(const CloudAPIError& a, const CloudAPIError& b) {
        return a.m_status == b.m_status && a.m_code == b.m_code && a.m_message == b.m_message;
    }

private:
    int m_status;
    std::string m_code;
    std::string m_message;
};

} // namespace tessary
