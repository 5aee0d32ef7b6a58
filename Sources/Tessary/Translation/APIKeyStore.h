#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

// Secrets by account in the desktop's Secret Service, under one fixed service name. When there is
// no usable Secret Service (none on the bus, a keyring that stays locked, a job that never ends),
// the store keeps secrets in this process's memory until it exits, says so once (memoryOnly signal
// and a log line), and never writes a secret anywhere else.
class APIKeyStore : public QObject {
    Q_OBJECT
public:
    static constexpr const char* service = "org.tessary.Tessary";
    static constexpr const char* deepSeekAccount = "deepseek";
    static constexpr const char* velmoraTokenAccount = "velmora-token";
    static constexpr const char* velmoraDeviceAccount = "velmora-device";

    // Nothing when absent, empty or unreadable.
    static QCoro::Task<std::optional<QString>> read(QString account);
    // Trims whitespace and newlines; an empty result removes the secret instead.
    static QCoro::Task<bool> write(QString value, QString account);
    // True when the secret is gone, including when there was none.
    static QCoro::Task<bool> remove(QString account);

    // True once the Secret Service was found unusable in this run.
    static bool isMemoryOnly();
    // How long one Secret Service job may take before the service counts as unusable.
    static std::chrono::milliseconds jobTimeout();
    static void setJobTimeout(std::chrono::milliseconds timeout);

    static APIKeyStore* notifier();

Q_SIGNALS:
    // Emitted once, when secrets start living in memory only.
    void memoryOnly();

private:
    using QObject::QObject;
};
