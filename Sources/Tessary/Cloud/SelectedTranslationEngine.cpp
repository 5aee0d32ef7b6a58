#include "Cloud/SelectedTranslationEngine.h"

#include "Cloud/VelmoraClient.h"
#include "Cloud/VelmoraTranslationEngine.h"
#include "Translation/DeepSeekTranslationEngine.h"
#include "Translation/TranslationSettings.h"

namespace SelectedTranslationEngine {

std::shared_ptr<TranslationEngine> create() {
    if (TranslationSettings::engine() == tessary::TranslationEngineKind::deepseek) {
        return DeepSeekTranslationEngine::fromSettings();
    }
    return std::make_shared<VelmoraTranslationEngine>(VelmoraClient::shared());
}

} // namespace SelectedTranslationEngine
