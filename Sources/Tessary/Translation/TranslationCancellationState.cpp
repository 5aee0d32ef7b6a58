#include "Translation/TranslationCancellationState.h"

void TranslationCancellationState::cancel() {
    if (cancelled_) {
        return;
    }
    cancelled_ = true;
    Q_EMIT cancelled();
}
