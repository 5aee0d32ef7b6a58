#include "Cloud/SelectedTranslationEngine.h"

#include "Cloud/VelmoraClient.h"
#include "Cloud/VelmoraTranslationEngine.h"
#include "Translation/DeepSeekTranslationEngine.h"
#include "Translation/TranslationSettings.h"

namespace SelectedTranslationEngine {

std::shared_ptr<TranslationEngine> create(VelmoraClient& client) {
    return create(TranslationSettings::engine(), client);
}

std::shared_ptr<TranslationEngine> create(tessary::TranslationEngineKind kind, VelmoraClient& client) {
    if (kind == tessary::TranslationEngineKind::deepseek) {
        return DeepSeekTranslationEngine::fromSettings();
    }
    return std::make_shared<VelmoraTranslationEngine>(client);
}

} // namespace SelectedTranslationEngine
