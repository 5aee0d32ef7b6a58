#pragma once

#include "TessaryCore/TranslationEngineKind.h"
#include "Translation/TranslationEngine.h"

#include <memory>

// The engine the translation settings choose: DeepSeek with its model and base URL, else the cloud
// engine over the shared client.
namespace SelectedTranslationEngine {
std::shared_ptr<TranslationEngine> create();
std::shared_ptr<TranslationEngine> create(tessary::TranslationEngineKind kind);
} // namespace SelectedTranslationEngine
