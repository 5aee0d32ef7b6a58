#pragma once

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>

class TranslationCancellationState;

// A handle that cancels one translation. Copies share the flag; it lives on the main thread.
// Engines check it before every attempt, and a pause or request in flight ends at once.
class TranslationCancellation {
public:
    TranslationCancellation();

    void cancel() const;
    bool isCancelled() const;
    // Throws TranslationCancelled once cancelled.
    void throwIfCancelled() const;
    // Emits cancelled() once.
    TranslationCancellationState* state() const { return state_.get(); }

    // A pause on the monotonic clock that a cancel cuts short (throwing TranslationCancelled).
    QCoro::Task<> sleep(std::chrono::milliseconds duration) const;

private:
    std::shared_ptr<TranslationCancellationState> state_;
};
