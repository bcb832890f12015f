#pragma once

#include "platform/Platform.h"

#include <QObject>
#include <QString>
#include <QStringList>

// Starts and restarts the local backend service, which runs as a per-user service installed by
// something else: a launchd agent on macOS, a systemd user unit on Linux. Every command is fired and
// forgotten; whether the backend runs shows only through its status endpoint. Main thread only.
class BackendManager : public QObject
{
    Q_OBJECT
public:
    struct Delays
    {
        int startAfterLoadMs = 500;  // lets the service manager take in the freshly loaded agent
        int startAfterStopMs = 1500; // lets the old process exit and free its port
    };

    static constexpr char defaultLabel[] = "com.halvex.backend";
    static constexpr char unitName[] = "halvex-backend.service";

    explicit BackendManager(QObject* parent = nullptr);
    explicit BackendManager(Delays delays, QObject* parent = nullptr);

    QString label() const { return QLatin1String(defaultLabel); }
    // The launchd property list on macOS, the unit file in the systemd user directory on Linux.
    QString agentFilePath() const;
    bool plistExists() const;

    // Loads (enables) and then starts the service, when its agent file exists.
    void autoLaunchIfNeeded();
    // Stops the service, then starts it again.
    void restart();

    // Runs the service tool with these arguments; never waited for, failures ignored.
    void launchctl(const QStringList& arguments);
    void systemctl(const QStringList& arguments);

    // Stores the token (spaces and tabs trimmed) in the settings and in the backend's environment file,
    // then restarts the backend so it reads the new token. An environment file that cannot be read
    // stops it before any change to the file and without a restart.
    void saveBotToken(const QString& token);

private:
    void loadService();
    void startService();
    void stopService();
    void startServiceLater(int delayMs);

    Delays m_delays;
    Platform::Kind m_platform;
};
