#include "TessaryCore/TranslationFailure.h"

namespace tessary {

namespace {

std::string describe(TranslationFailure::Kind kind, int first, int second, const std::string& firstText,
                     const std::string& secondText) {
    using Kind = TranslationFailure::Kind;
    switch (kind) {
    case Kind::serverError:
        return "serverError(" + std::to_string(first) + ", " + firstText + ")";
    case Kind::networkUnavailable:
        return "networkUnavailable(" + std::to_string(first) + ", " + firstText + ")";
    case Kind::countMismatch:
        return "countMismatch(" + std::to_string(first) + ", " + std::to_string(second) + ")";
    case Kind::invalidResponse:
        return "invalidResponse(" + firstText + ")";
    case Kind::cloud:
        return "cloud(" + firstText + ", " + secondText + ")";
    case Kind::missingAPIKey:
        return "missingAPIKey";
    case Kind::notLoggedIn:
        return "notLoggedIn";
    }
    return "translationFailure";
}

} // namespace

TranslationFailure::TranslationFailure(Kind kind, int first, int second, std::string firstText,
                                       std::string secondText)
    : kind_(kind), first_(first), second_(second), firstText_(std::move(firstText)),
      secondText_(std::move(secondText)),
      summary_(describe(kind_, first_, second_, firstText_, secondText_)) {}

TranslationFailure TranslationFailure::serverError(int status, std::string body) {
    return {Kind::serverError, status, 0, std::move(body), {}};
}

TranslationFailure TranslationFailure::networkUnavailable(int attempts, std::string detail) {
    return {Kind::networkUnavailable, attempts, 0, std::move(detail), {}};
}

TranslationFailure TranslationFailure::countMismatch(int sent, int received) {
    return {Kind::countMismatch, sent, received, {}, {}};
}

TranslationFailure TranslationFailure::invalidResponse(std::string text) {
    return {Kind::invalidResponse, 0, 0, std::move(text), {}};
}

TranslationFailure TranslationFailure::cloud(std::string code, std::string message) {
    return {Kind::cloud, 0, 0, std::move(code), std::move(message)};
}

TranslationFailure TranslationFailure::missingAPIKey() {
    return {Kind::missingAPIKey, 0, 0, {}, {}};
}

TranslationFailure TranslationFailure::notLoggedIn() {
    return {Kind::notLoggedIn, 0, 0, {}, {}};
}

std::string_view TranslationFailure::localizationKey() const {
    switch (kind_) {
    case Kind::serverError:
        return "translate.error.server";
    case Kind::networkUnavailable:
        return "translate.error.network";
    case Kind::countMismatch:
        return "translate.error.countMismatch";
    case Kind::invalidResponse:
        return "translate.error.invalidResponse";
    case Kind::cloud:
        return {};
    case Kind::missingAPIKey:
        return "translate.error.missingKey";
    case Kind::notLoggedIn:
        return "translate.error.notLoggedIn";
    }
    return {};
}

std::vector<std::string> TranslationFailure::formatArguments() const {
    switch (kind_) {
    case Kind::serverError:
    case Kind::networkUnavailable:
        return {std::to_string(first_), firstText_};
    case Kind::countMismatch:
        return {std::to_string(first_), std::to_string(second_)};
    case Kind::invalidResponse:
        return {firstText_};
    case Kind::cloud:
    case Kind::missingAPIKey:
    case Kind::notLoggedIn:
        return {};
    }
    return {};
}

} // namespace tessary
