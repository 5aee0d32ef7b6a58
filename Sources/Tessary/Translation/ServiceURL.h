#pragma once

#include "TessaryCore/TranslationEndpoint.h"

#include <QString>
#include <QUrl>

#include <optional>

// Base URLs of translation services from settings: https, or plain http to this machine.
namespace ServiceURL {

struct Checked {
    QUrl base;
    tessary::TranslationEndpoint::Verdict verdict;
};

// A base URL the client may use: http(s) with a host, no credentials, query or fragment. Refused
// otherwise (including plain http to another machine).
std::optional<Checked> check(const QString& text);

// The base with `path` appended after its own path ("https://h/v1" + "/chat/completions").
QUrl appending(const QUrl& base, const QString& path);

} // namespace ServiceURL
