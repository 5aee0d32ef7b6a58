#pragma once

#include "TessaryCore/TranslationEngineKind.h"
#include "Translation/TranslationCancellation.h"

#include <QCoro/QCoroTask>
#include <QStringList>

// A translation back end: one output per input text, in input order. An empty output means the
// text needs no translation and the caller keeps the source. Failures are thrown as
// tessary::TranslationFailure; a cancelled call throws TranslationCancelled. An engine may be
// destroyed while a call it started is still running; calls run on the main thread's event loop
// and never block it.
class TranslationEngine {
public:
    virtual ~TranslationEngine() = default;

    virtual tessary::TranslationEngineKind kind() const = 0;
    virtual QCoro::Task<QStringList> translate(QStringList texts, QString target,
                                               TranslationCancellation cancellation) = 0;
};
