// Release manifests and version texts from an untrusted server: decoding never crashes, a decoded
// manifest survives its own encoding unchanged, and a parsed version writes back to the same text.
#include "TessaryCore/ReleaseVersion.h"
#include "TessaryCore/SecureUrl.h"
#include "TessaryCore/UpdateResponse.h"
#include "TessaryCore/UpdateStatus.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tessary::ReleaseTarget target{"linux", "x86_64"};

    if (const auto version = tessary::ReleaseVersion::parse(text, 1); version && version->text() != text) {
        std::abort();
    }
    (void)tessary::ReleaseVersion::threeNumbers(text);
    if (tessary::SecureUrl::isSecure(text) && tessary::SecureUrl::isLoopbackHttp(text)) {
        std::abort();
    }

    tessary::UpdateResponse response;
    response.statusCode = 200;
    response.finalURL = "https://updates.example.invalid/manifest.json";
    response.body = text;
    const auto decided = response.decode(false, target);

    const auto manifest = tessary::UpdateManifest::decode(text);
    if (!manifest) {
        if (std::holds_alternative<tessary::UpdateManifest>(decided)) {
            std::abort();
        }
        return 0;
    }
    if (tessary::UpdateManifest::decode(manifest->encode()) != manifest) {
        std::abort();
    }
    const auto local = *tessary::ReleaseVersion::parse("1.4.0", 12);
    const auto status = tessary::UpdateStatus::afterFetch(local, *manifest, target, "2.36.0");
    if (status && status->kind == tessary::UpdateStatus::Kind::available &&
        !tessary::UpdateStatus::restored(manifest->encode(), local, target, "2.36.0")) {
        std::abort();
    }
    if (status) {
        (void)status->logName();
    }
    return 0;
}
