#pragma once

#include "TessaryCore/TranslationEngineKind.h"
#include "Translation/TranslationEngine.h"

#include <memory>

class VelmoraClient;

// The engine the translation settings choose: DeepSeek with its model and base URL, else the cloud
// engine over the application's client.
namespace SelectedTranslationEngine {
std::shared_ptr<TranslationEngine> create(VelmoraClient& client);
std::shared_ptr<TranslationEngine> create(tessary::TranslationEngineKind kind, VelmoraClient& client);
} // namespace SelectedTranslationEngine
