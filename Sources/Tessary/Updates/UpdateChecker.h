#pragma once

#include "TessaryCore/ReleaseConfiguration.h"
#include "TessaryCore/ReleaseTarget.h"
#include "TessaryCore/UpdateStatus.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class QNetworkAccessManager;

// Tells whether a newer release exists: fetches the release manifest at most once a day when the
// network is there (and on demand), keeps the status the tray menu and preferences show, and opens
// the release's download page. It never downloads or installs anything itself.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    // The process-wide checker, created on first use from the process arguments.
    static UpdateChecker& shared();

    // `arguments` may carry "--dev-update-manifest-url=URL", which replaces the built-in manifest
    // URL and alone allows plain http to this machine. `configuredManifestURL` defaults to the build's.
    explicit UpdateChecker(const QStringList& arguments, QObject* parent = nullptr);
    UpdateChecker(const QStringList& arguments, const QString& configuredManifestURL,
                  QObject* parent = nullptr);
    ~UpdateChecker() override;

    const tessary::UpdateStatus& status() const { return m_status; }
    std::optional<QDateTime> lastChecked() const { return m_lastChecked; }
    const std::optional<tessary::ReleaseConfiguration>& configuration() const { return m_configuration; }
    bool isChecking() const { return m_isChecking; }

    // Network watch, the hourly timer and, 10 s later, the first automatic check. Once only.
    void start();
    void check(bool manual);
    // Opens the available release's https download page in the browser.
    void openDownload();

    // "Version 0.1.0 (1)" or the unknown-version text.
    QString currentVersionText() const;
    // The localised text of `status`.
    static QString text(const tessary::UpdateStatus& status);
    // The version, with the file size when the manifest gives one.
    static QString versionWithSize(const tessary::UpdateManifest& manifest);

    // This build's platform and architecture, and the running C library as three numbers.
    static tessary::ReleaseTarget releaseTarget();
    static std::string runningSystemVersion();

Q_SIGNALS:
    // Emitted whenever the status changes to a different value.
    void didChange();

private:
    void setStatus(tessary::UpdateStatus status);
    void checkIfDue();
    void markChecked();
    QCoro::Task<> runCheck(bool manual, tessary::UpdateStatus previous);
    std::optional<tessary::UpdateStatus> restoreAvailableRelease() const;

    tessary::UpdateStatus m_status;
    std::optional<QDateTime> m_lastChecked;
    std::optional<QDateTime> m_lastAttempt;
    std::optional<tessary::ReleaseConfiguration> m_configuration;
    std::unique_ptr<QNetworkAccessManager> m_session;
    QTimer m_timer;
    bool m_hasNetwork = false;
    bool m_automaticChecksReady = false;
    bool m_started = false;
    bool m_isChecking = false;
};
