#pragma once

#include "TessaryCore/ReleaseTarget.h"
#include "TessaryCore/UpdateError.h"
#include "TessaryCore/UpdateManifest.h"

#include <QCoroTask>
#include <QString>
#include <QUrl>

#include <chrono>
#include <variant>

class QNetworkAccessManager;

// A failure below HTTP: no connection, a lost one, a time-out, TLS and the like.
struct UpdateTransportError {
    // Whether it means "no network here" rather than a fault worth reporting as failed.
    bool offline = false;
    QString description;
};

using UpdateFetchResult = std::variant<tessary::UpdateManifest, tessary::UpdateError, UpdateTransportError>;

// Fetches and decides on the release manifest. Bodies are capped while they arrive, redirects are
// followed only to https (or loopback http when the request itself went there), and nothing is
// cached or remembered between requests.
namespace UpdateClient {

inline constexpr std::chrono::milliseconds transferTimeout{15000};
inline constexpr std::chrono::milliseconds resourceTimeout{20000};

QCoro::Task<UpdateFetchResult> fetch(QUrl url, QNetworkAccessManager& session, tessary::ReleaseTarget target);

} // namespace UpdateClient
