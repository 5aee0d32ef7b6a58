#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The typed error of every translation engine. Its user-facing text is the localised format string
// named by `localizationKey()` filled with `formatArguments()` in order; a cloud failure carries
// its own text instead.
class TranslationFailure : public std::exception {
public:
    enum class Kind {
        serverError,
        networkUnavailable,
        countMismatch,
        invalidResponse,
        cloud,
        missingAPIKey,
        notLoggedIn
    };

    static TranslationFailure serverError(int status, std::string body);
    static TranslationFailure networkUnavailable(int attempts, std::string detail);
    static TranslationFailure countMismatch(int sent, int received);
    static TranslationFailure invalidResponse(std::string text);
    static TranslationFailure cloud(std::string code, std::string message);
    static TranslationFailure missingAPIKey();
    static TranslationFailure notLoggedIn();

    Kind kind() const { return kind_; }
    // serverError: status; networkUnavailable: attempts; countMismatch: sent.
    int firstNumber() const { return first_; }
    // countMismatch: received.
    int secondNumber() const { return second_; }
    // serverError: body; networkUnavailable: detail; invalidResponse: the text; cloud: code.
    const std::string& firstText() const { return firstText_; }
    // cloud: message.
    const std::string& secondText() const { return secondText_; }

    // Empty for `cloud`, whose description is its message.
    std::string_view localizationKey() const;
    // Integers as decimal numbers, strings as they are, in the key's placeholder order.
    std::vector<std::string> formatArguments() const;

    // A plain form for logs and test output, e.g. countMismatch(3, 2).
    const char* what() const noexcept override { return summary_.c_str(); }

    bool operator==(const TranslationFailure& other) const {
        return kind_ == other.kind_ && first_ == other.first_ && second_ == other.second_ &&
               firstText_ == other.firstText_ && secondText_ == other.secondText_;
    }

private:
    TranslationFailure(Kind kind, int first, int second, std::string firstText, std::string secondText);

    Kind kind_;
    int first_ = 0;
    int second_ = 0;
    std::string firstText_;
    std::string secondText_;
    std::string summary_;
};

} // namespace tessary
