#pragma once

#include <exception>

// Thrown by a translation whose TranslationCancellation was cancelled; it is never shown to the user.
class TranslationCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "translation cancelled"; }
};
