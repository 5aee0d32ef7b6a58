#include "TessaryCore/UpdateStatus.h"

namespace tessary {

UpdateStatus UpdateStatus::fromError(UpdateError error) {
    switch (error) {
    case UpdateError::notConfigured:
        return of(Kind::notConfigured);
    case UpdateError::noRelease:
        return of(Kind::noRelease);
    case UpdateError::invalidManifest:
    case UpdateError::invalidResponse:
        break;
    }
    return of(Kind::failed);
}

std::optional<UpdateStatus> UpdateStatus::afterFetch(const ReleaseVersion& local,
                                                     const UpdateManifest& manifest,
                                                     const ReleaseTarget& target,
                                                     std::string_view systemVersion) {
    const auto remote = manifest.validate(target);
    if (!remote) {
        return std::nullopt;
    }
    if (!(local < *remote)) {
        return of(Kind::upToDate);
    }
    const auto supported = manifest.supports(systemVersion);
    if (!supported) {
        return std::nullopt;
    }
    return UpdateStatus{*supported ? Kind::available : Kind::incompatible, manifest};
}

std::optional<UpdateStatus> UpdateStatus::restored(std::string_view storedJson, const ReleaseVersion& local,
                                                   const ReleaseTarget& target,
                                                   std::string_view systemVersion) {
    const auto manifest = UpdateManifest::decode(storedJson);
    if (!manifest) {
        return std::nullopt;
    }
    auto status = afterFetch(local, *manifest, target, systemVersion);
    if (!status || status->kind != Kind::available) {
        return std::nullopt;
    }
    return status;
}

std::string UpdateStatus::displayKey() const {
    switch (kind) {
    case Kind::available:
        return "update.status.available";
    case Kind::incompatible:
        return "update.status.incompatible";
    case Kind::idle:
        return "update.status.idle";
    case Kind::checking:
        return "update.status.checking";
    case Kind::upToDate:
        return "update.status.upToDate";
    case Kind::noRelease:
        return "update.status.noRelease";
    case Kind::offline:
        return "update.status.offline";
    case Kind::failed:
        return "update.status.failed";
    case Kind::notConfigured:
        return "update.status.notConfigured";
    }
    return "update.status.failed";
}

std::string UpdateStatus::logName() const {
    switch (kind) {
    case Kind::available:
        return manifest ? "有新版本 " + manifest->version + "（" + std::to_string(manifest->build) + "）"
                        : "有新版本";
    case Kind::incompatible:
        return manifest ? "有新版本但系统不够（要 " + manifest->minimumSystemVersion + "）"
                        : "有新版本但系统不够";
    case Kind::idle:
        return "尚未检查";
    case Kind::checking:
        return "检查中";
    case Kind::upToDate:
        return "已是最新";
    case Kind::noRelease:
        return "尚无发布";
    case Kind::offline:
        return "连不上";
    case Kind::failed:
        return "失败";
    case Kind::notConfigured:
        return "未配置";
    }
    return "失败";
}

} // namespace tessary
