#include "Updates/UpdateChecker.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "TessaryCore/ReleaseVersion.h"
#include "TessaryCore/SecureUrl.h"
#include "TessaryCore/UpdateSchedule.h"
#include "Updates/ReleaseBuild.h"
#include "Updates/UpdateClient.h"
#include "Updates/UpdateSettings.h"

#include <QDesktopServices>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QPointer>

#include <gnu/libc-version.h>

using tessary::UpdateStatus;
using Kind = tessary::UpdateStatus::Kind;

namespace {

std::optional<QString> overrideURL(const QStringList& arguments) {
    const QString prefix = QStringLiteral("--dev-update-manifest-url=");
    for (const QString& argument : arguments) {
        if (argument.startsWith(prefix)) {
            return argument.mid(prefix.size());
        }
    }
    return std::nullopt;
}

tessary::UpdateSchedule::Clock::time_point timePoint(const QDateTime& when) {
    return tessary::UpdateSchedule::Clock::time_point(std::chrono::milliseconds(when.toMSecsSinceEpoch()));
}

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

UpdateChecker& UpdateChecker::shared() {
    static UpdateChecker* checker = new UpdateChecker(QCoreApplication::arguments());
    return *checker;
}

UpdateChecker::UpdateChecker(const QStringList& arguments, QObject* parent)
    : UpdateChecker(arguments, QString::fromUtf8(ReleaseBuild::manifestURL), parent) {}

UpdateChecker::UpdateChecker(const QStringList& arguments, const QString& configuredManifestURL,
                             QObject* parent)
    : QObject(parent), m_session(std::make_unique<QNetworkAccessManager>()) {
    const auto devURL = overrideURL(arguments);
    const std::string configured = configuredManifestURL.toStdString();
    const std::string devText = devURL ? devURL->toStdString() : std::string();
    m_configuration = tessary::ReleaseConfiguration::load(
        ReleaseBuild::version, ReleaseBuild::build,
        configured.empty() ? std::nullopt : std::optional<std::string_view>(configured),
        devURL ? std::optional<std::string_view>(devText) : std::nullopt);
    if (devURL) {
        Log::notice(QStringLiteral("验收：更新清单地址临时改为 ") + *devURL);
    }
    m_lastChecked = UpdateSettings::lastSuccessfulCheck();
    // Nothing outlives a request: no cache, no cookies, no stored credentials.
    m_session->setCache(nullptr);
    m_session->setAutoDeleteReplies(false);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(
        std::chrono::duration_cast<std::chrono::milliseconds>(tessary::UpdateSchedule::timerInterval));
    connect(&m_timer, &QTimer::timeout, this, &UpdateChecker::checkIfDue);

    if (m_configuration && m_configuration->hasManifestURL()) {
        if (auto restored = restoreAvailableRelease()) {
            m_status = std::move(*restored);
        }
    } else {
        m_status = UpdateStatus::of(Kind::notConfigured);
    }
}

UpdateChecker::~UpdateChecker() = default;

tessary::ReleaseTarget UpdateChecker::releaseTarget() {
    return {"linux", ReleaseBuild::architecture};
}

std::string UpdateChecker::runningSystemVersion() {
    return tessary::ReleaseVersion::threeNumbers(gnu_get_libc_version());
}

std::optional<UpdateStatus> UpdateChecker::restoreAvailableRelease() const {
    const auto stored = UpdateSettings::availableRelease();
    const auto local = tessary::ReleaseVersion::parse(m_configuration->version, m_configuration->build);
    std::optional<UpdateStatus> restored;
    if (stored && local) {
        restored = UpdateStatus::restored(*stored, *local, releaseTarget(), runningSystemVersion());
    }
    if (!restored) {
        UpdateSettings::removeAvailableRelease();
    }
    return restored;
}

void UpdateChecker::setStatus(UpdateStatus status) {
    if (status == m_status) {
        return;
    }
    m_status = std::move(status);
    Q_EMIT didChange();
}

void UpdateChecker::start() {
    if (m_started) {
        return;
    }
    m_started = true;
    // Reachability is a hint: some backends claim to be online with no network, and without a
    // backend we assume a network and let the request find out.
    m_hasNetwork = true;
    if (QNetworkInformation::loadDefaultBackend() && QNetworkInformation::instance()) {
        QNetworkInformation* information = QNetworkInformation::instance();
        m_hasNetwork = information->reachability() != QNetworkInformation::Reachability::Disconnected;
        connect(information, &QNetworkInformation::reachabilityChanged, this,
                [this](QNetworkInformation::Reachability reachability) {
                    m_hasNetwork = reachability != QNetworkInformation::Reachability::Disconnected;
                    if (m_hasNetwork) {
                        checkIfDue();
                    }
                });
    }
    m_timer.start();
    // Coarse timers may fire 5 % early; the first automatic check must not come before 10 s.
    QTimer::singleShot(
        std::chrono::duration_cast<std::chrono::milliseconds>(tessary::UpdateSchedule::readinessDelay),
        Qt::PreciseTimer, this, [this] {
            m_automaticChecksReady = true;
            checkIfDue();
        });
}

void UpdateChecker::checkIfDue() {
    tessary::UpdateSchedule schedule;
    schedule.ready = m_automaticChecksReady;
    schedule.configured = m_configuration && m_configuration->hasManifestURL();
    schedule.hasNetwork = m_hasNetwork;
    if (m_lastChecked) {
        schedule.lastChecked = timePoint(*m_lastChecked);
    }
    if (m_lastAttempt) {
        schedule.lastAttempt = timePoint(*m_lastAttempt);
    }
    if (schedule.isDue(timePoint(QDateTime::currentDateTimeUtc()))) {
        check(false);
    }
}

void UpdateChecker::check(bool manual) {
    if (m_isChecking) {
        return;
    }
    if (!m_configuration) {
        setStatus(UpdateStatus::of(Kind::notConfigured));
        Log::error(QStringLiteral("检查更新：Info.plist 里没有版本号或清单地址，无法检查。"));
        return;
    }
    m_isChecking = true;
    m_lastAttempt = QDateTime::currentDateTimeUtc();
    UpdateStatus previous = m_status;
    setStatus(UpdateStatus::of(Kind::checking));
    runCheck(manual, std::move(previous));
}

void UpdateChecker::markChecked() {
    m_lastChecked = QDateTime::currentDateTimeUtc();
    UpdateSettings::setLastSuccessfulCheck(*m_lastChecked);
}

QCoro::Task<> UpdateChecker::runCheck(bool manual, UpdateStatus previous) {
    QPointer<UpdateChecker> self(this);
    const tessary::ReleaseConfiguration configuration = *m_configuration;
    const tessary::ReleaseTarget target = releaseTarget();

    UpdateFetchResult result = tessary::UpdateError::invalidManifest;
    const auto local = tessary::ReleaseVersion::parse(configuration.version, configuration.build);
    const auto endpoint = configuration.endpoint();
    if (!local) {
        result = tessary::UpdateError::invalidManifest;
    } else if (const auto* error = std::get_if<tessary::UpdateError>(&endpoint)) {
        result = *error;
    } else {
        result = co_await UpdateClient::fetch(
            QUrl(fromStd(std::get<std::string>(endpoint)), QUrl::StrictMode), *m_session, target);
        if (!self) {
            co_return;
        }
    }

    std::optional<UpdateStatus> next;
    bool failedCheck = true;
    QString errorText;
    bool offline = false;
    if (const auto* manifest = std::get_if<tessary::UpdateManifest>(&result)) {
        markChecked();
        next = UpdateStatus::afterFetch(*local, *manifest, target, runningSystemVersion());
        if (next) {
            if (next->kind == Kind::available) {
                UpdateSettings::setAvailableRelease(manifest->encode());
            } else {
                UpdateSettings::removeAvailableRelease();
            }
            Log::info(QStringLiteral("检查更新：本机 ") + fromStd(configuration.version) +
                      QStringLiteral("（") + QString::number(configuration.build) +
                      QStringLiteral("），服务端最新 ") + fromStd(manifest->version) + QStringLiteral("（") +
                      QString::number(manifest->build) + QStringLiteral("）→ ") + fromStd(next->logName()));
            setStatus(std::move(*next));
            failedCheck = false;
        } else {
            errorText = fromStd(std::string(tessary::description(tessary::UpdateError::invalidManifest)));
        }
    } else if (const auto* error = std::get_if<tessary::UpdateError>(&result)) {
        next = UpdateStatus::fromError(*error);
        errorText = fromStd(std::string(tessary::description(*error)));
    } else {
        const auto& transport = std::get<UpdateTransportError>(result);
        offline = transport.offline;
        next = UpdateStatus::of(offline ? Kind::offline : Kind::failed);
        errorText = transport.description.isEmpty() ? QStringLiteral("network error") : transport.description;
    }

    if (failedCheck) {
        if (!next) {
            next = UpdateStatus::of(Kind::failed);
        }
        if (next->kind == Kind::noRelease) {
            markChecked();
            UpdateSettings::removeAvailableRelease();
            Log::info(QStringLiteral("检查更新：服务端还没有 tessary 的已发布版本（404）。"));
        } else {
            Log::error((manual ? QStringLiteral("检查更新失败（手动）：")
                               : QStringLiteral("检查更新失败（自动）：")) +
                       errorText);
        }
        setStatus(offline && !manual ? std::move(previous) : std::move(*next));
    }
    m_isChecking = false;
}

void UpdateChecker::openDownload() {
    if (m_status.kind != Kind::available || !m_status.manifest) {
        return;
    }
    const std::string& download = m_status.manifest->downloadURL;
    const QUrl url(fromStd(download), QUrl::StrictMode);
    // The text passed the strict check; Qt's reading of it must agree before anything is opened.
    if (!tessary::SecureUrl::isSecure(download) || !url.isValid() ||
        url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0 || url.host().isEmpty() ||
        !url.userInfo().isEmpty()) {
        return;
    }
    if (!QDesktopServices::openUrl(url)) {
        Log::error(QStringLiteral("检查更新：打不开下载地址 ") + fromStd(download));
        setStatus(UpdateStatus::of(Kind::failed));
    }
}

QString UpdateChecker::currentVersionText() const {
    if (!m_configuration) {
        return L10n::text(QStringLiteral("update.version.unknown"));
    }
    return L10n::format(QStringLiteral("update.version.current"),
                        {fromStd(m_configuration->version), QString::number(m_configuration->build)});
}

QString UpdateChecker::versionWithSize(const tessary::UpdateManifest& manifest) {
    const QString version = fromStd(manifest.version);
    if (!manifest.fileSize || *manifest.fileSize <= 0) {
        return version;
    }
    return L10n::format(
        QStringLiteral("update.versionWithSize"),
        {version, QLocale().formattedDataSize(*manifest.fileSize, 1, QLocale::DataSizeSIFormat)});
}

QString UpdateChecker::text(const UpdateStatus& status) {
    const QString key = fromStd(status.displayKey());
    if (status.kind == Kind::available && status.manifest) {
        return L10n::format(key, {versionWithSize(*status.manifest)});
    }
    if (status.kind == Kind::incompatible && status.manifest) {
        return L10n::format(
            key, {fromStd(status.manifest->version), fromStd(status.manifest->minimumSystemVersion)});
    }
    return L10n::text(key);
}
