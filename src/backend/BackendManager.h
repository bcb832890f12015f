#pragma once

#include "platform/Platform.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

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
    // The launchd property list on macOS; on Linux the unit's usual place in the user's systemd
    // directory, though systemd alone knows where an installed unit really is.
    QString agentFilePath() const;
    // Whether the service is installed: the property list exists (macOS), or systemd loaded the unit
    // from wherever it was installed (Linux; the last answer of refreshServiceInstalled, false before).
    bool plistExists() const;
    // Asks again; serviceInstalledChanged follows a changed answer. On Linux systemd answers later.
    void refreshServiceInstalled();

    // Loads (enables) and then starts the service, when it is installed.
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

Q_SIGNALS:
    void serviceInstalledChanged();

private:
    void askSystemd(std::function<void()> then);
    void setServiceInstalled(bool installed);
    void loadService();
    void startService();
    void stopService();
    void startServiceLater(int delayMs);

    Delays m_delays;
    Platform::Kind m_platform;
    bool m_serviceInstalled = false;
};
