#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

#include <stdexcept>
#include <vector>

// A translation back end: one output per input text, "" where it has nothing to replace.
class TranslationEngine {
public:
    virtual ~TranslationEngine() = default;

    // Translates `texts` into `targetLanguage` (a language identifier such as "zh-Hans"). Throws a
    // typed failure when the request fails.
    virtual QCoro::Task<std::vector<QString>> translate(std::vector<QString> texts,
                                                        QString targetLanguage) = 0;
};

// An engine answered with a different number of texts than it was sent.
class TranslationCountMismatch : public std::runtime_error {
public:
    TranslationCountMismatch(int sent, int received)
        : std::runtime_error("translation: the engine answered a different number of texts"), sent(sent),
          received(received) {}
    const int sent;
    const int received;
};
