#include "Translation/TranslationCancellation.h"

#include "Translation/TranslationCancellationState.h"
#include "Translation/TranslationCancelled.h"

#include <QCoro/QCoroTimer>
#include <QTimer>

TranslationCancellation::TranslationCancellation()
    : state_(std::make_shared<TranslationCancellationState>()) {}

void TranslationCancellation::cancel() const {
    state_->cancel();
}

bool TranslationCancellation::isCancelled() const {
    return state_->isCancelled();
}

void TranslationCancellation::throwIfCancelled() const {
    if (isCancelled()) {
        throw TranslationCancelled();
    }
}

QCoro::Task<> TranslationCancellation::sleep(std::chrono::milliseconds duration) const {
    // Keep the state alive across the suspension even if every other handle goes away.
    const std::shared_ptr<TranslationCancellationState> state = state_;
    if (state->isCancelled()) {
        throw TranslationCancelled();
    }
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(state.get(), &TranslationCancellationState::cancelled, &timer,
                     [&timer] { timer.start(0); });
    timer.start(duration);
    // Awaited through QCoro's timer operation: awaiting the private timeout signal directly hands
    // its tag argument over as a null reference.
    co_await timer;
    if (state->isCancelled()) {
        throw TranslationCancelled();
    }
}
