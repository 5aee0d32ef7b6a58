#include "TessaryCore/UpdateManifest.h"

#include "TessaryCore/JsonValue.h"
#include "TessaryCore/SecureUrl.h"
#include "TessaryCore/UnicodeText.h"

#include <memory>
#include <unicode/brkiter.h>

namespace tessary {

namespace {

// At most `limit` grapheme clusters. A cluster takes at least one UTF-8 byte, so short texts
// need no segmentation.
bool withinCharacters(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return true;
    }
    const icu::UnicodeString utf16 = UnicodeText::toUtf16(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) {
        return false;
    }
    iterator->setText(utf16);
    iterator->first();
    std::size_t count = 0;
    while (iterator->next() != icu::BreakIterator::DONE) {
        if (++count > limit) {
            return false;
        }
    }
    return true;
}

bool readString(const JsonValue& object, std::string_view key, std::string& out) {
    const JsonValue* value = object.member(key);
    if (!value || value->type() != JsonValue::Type::string) {
        return false;
    }
    out = value->string();
    return true;
}

bool readInteger(const JsonValue& object, std::string_view key, std::int64_t& out) {
    const JsonValue* value = object.member(key);
    if (!value || value->type() != JsonValue::Type::number || !value->integer()) {
        return false;
    }
    out = *value->integer();
    return true;
}

// Absent and null both mean "not given"; any other type is an error.
bool readOptionalString(const JsonValue& object, std::string_view key, std::optional<std::string>& out) {
    const JsonValue* value = object.member(key);
    if (!value || value->type() == JsonValue::Type::null) {
        return true;
    }
    std::string text;
    if (!readString(object, key, text)) {
        return false;
    }
    out = std::move(text);
    return true;
}

bool readOptionalInteger(const JsonValue& object, std::string_view key, std::optional<std::int64_t>& out) {
    const JsonValue* value = object.member(key);
    if (!value || value->type() == JsonValue::Type::null) {
        return true;
    }
    std::int64_t number = 0;
    if (!readInteger(object, key, number)) {
        return false;
    }
    out = number;
    return true;
}

} // namespace

std::optional<UpdateManifest> UpdateManifest::decode(std::string_view json) {
    const auto document = JsonValue::parse(json);
    if (!document || document->type() != JsonValue::Type::object) {
        return std::nullopt;
    }
    UpdateManifest m;
    const bool ok = readInteger(*document, "schemaVersion", m.schemaVersion) &&
                    readString(*document, "version", m.version) && readInteger(*document, "build", m.build) &&
                    readString(*document, "platform", m.platform) &&
                    readString(*document, "architecture", m.architecture) &&
                    readString(*document, "minimumSystemVersion", m.minimumSystemVersion) &&
                    readString(*document, "downloadURL", m.downloadURL) &&
                    readString(*document, "releaseNotes", m.releaseNotes) &&
                    readOptionalString(*document, "mirrorURL", m.mirrorURL) &&
                    readOptionalString(*document, "fileName", m.fileName) &&
                    readOptionalInteger(*document, "fileSize", m.fileSize) &&
                    readOptionalString(*document, "fileSHA256", m.fileSHA256);
    if (!ok) {
        return std::nullopt;
    }
    return m;
}

std::string UpdateManifest::encode() const {
    std::string out = "{";
    const auto add = [&out](std::string_view key, const std::string& rawValue) {
        if (out.size() > 1) {
            out += ",";
        }
        out += JsonValue::quoted(key) + ":" + rawValue;
    };
    add("schemaVersion", std::to_string(schemaVersion));
    add("version", JsonValue::quoted(version));
    add("build", std::to_string(build));
    add("platform", JsonValue::quoted(platform));
    add("architecture", JsonValue::quoted(architecture));
    add("minimumSystemVersion", JsonValue::quoted(minimumSystemVersion));
    add("downloadURL", JsonValue::quoted(downloadURL));
    add("releaseNotes", JsonValue::quoted(releaseNotes));
    if (mirrorURL) {
        add("mirrorURL", JsonValue::quoted(*mirrorURL));
    }
    if (fileName) {
        add("fileName", JsonValue::quoted(*fileName));
    }
    if (fileSize) {
        add("fileSize", std::to_string(*fileSize));
    }
    if (fileSHA256) {
        add("fileSHA256", JsonValue::quoted(*fileSHA256));
    }
    return out + "}";
}

std::optional<ReleaseVersion> UpdateManifest::validate(const ReleaseTarget& target) const {
    if (schemaVersion != 1 || platform != target.platform || architecture != target.architecture ||
        !withinCharacters(releaseNotes, maximumReleaseNotesLength) || !SecureUrl::isSecure(downloadURL) ||
        (mirrorURL && !mirrorURL->empty() && !SecureUrl::isSecure(*mirrorURL)) ||
        !ReleaseVersion::parse(minimumSystemVersion, 1)) {
        return std::nullopt;
    }
    return ReleaseVersion::parse(version, build);
}

std::optional<bool> UpdateManifest::supports(std::string_view systemVersion) const {
    const auto running = ReleaseVersion::parse(systemVersion, 1);
    const auto minimum = ReleaseVersion::parse(minimumSystemVersion, 1);
    if (!running || !minimum) {
        return std::nullopt;
    }
    return !(running->components < minimum->components);
}

} // namespace tessary
