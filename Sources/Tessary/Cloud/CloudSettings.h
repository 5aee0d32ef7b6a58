#pragma once

#include "Foundation/Setting.h"
#include "TessaryCore/CloudQuota.h"

#include <optional>

// The cloud account's settings. Secrets (the session token and the device identifier) are never
// here: they live in the key store.
namespace CloudSettings {

// Trimmed text; absent, empty or a stale development origin means the built-in origin.
const TextSetting& baseURL();
// The logged-in account's e-mail; removed at logout.
const TextSetting& email();
// The account's consent to the shared translation cache; true when absent.
const FlagSetting& shareCache();
// The last quota the service reported, as JSON text.
const TextSetting& quota();

// The last quota; nothing when absent or undecodable.
std::optional<tessary::CloudQuota> storedQuota();
// Nothing removes the key.
void storeQuota(const std::optional<tessary::CloudQuota>& quota);

} // namespace CloudSettings
