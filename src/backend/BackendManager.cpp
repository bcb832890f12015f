#include "backend/BackendManager.h"

#include "backend/BackendEnvironment.h"
#include "model/TextUtil.h"
#include "platform/ChildProcess.h"
#include "platform/Settings.h"
#include "platform/ToolPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

BackendManager::BackendManager(QObject* parent) : BackendManager(Delays{}, parent) {}

BackendManager::BackendManager(Delays delays, QObject* parent)
    : QObject(parent), m_delays(delays), m_platform(Platform::current())
{
}

QString BackendManager::agentFilePath() const
{
    if (m_platform == Platform::Kind::MacOS)
        return QDir::homePath() + QStringLiteral("/Library/LaunchAgents/") + label() +
               QStringLiteral(".plist");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/systemd/user/") + QLatin1String(unitName);
}

bool BackendManager::plistExists() const
{
    if (m_platform == Platform::Kind::MacOS)
        return QFileInfo::exists(agentFilePath());
    return m_serviceInstalled;
}

void BackendManager::setServiceInstalled(bool installed)
{
    if (installed == m_serviceInstalled)
        return;
    m_serviceInstalled = installed;
    Q_EMIT serviceInstalledChanged();
}

void BackendManager::refreshServiceInstalled()
{
    if (m_platform == Platform::Kind::MacOS)
        setServiceInstalled(plistExists());
    else
        askSystemd({});
}

// `make install` puts the unit under <prefix>/share/systemd/user, a package under /usr/lib, a user
// under ~/.config: only systemd knows which of its search paths holds it, and "not-found" means none.
void BackendManager::askSystemd(std::function<void()> then)
{
    ProcessOptions options;
    options.timeoutMs = 10000;
    options.outputCap = 4096;
    const QStringList arguments{QStringLiteral("--user"),  QStringLiteral("show"),
                                QStringLiteral("-p"),      QStringLiteral("LoadState"),
                                QStringLiteral("--value"), QLatin1String(unitName)};
    ChildProcess::run(ToolPaths::path(Tool::Systemctl), arguments, options, this,
                      [this, then = std::move(then)](const ProcessResult& result) {
                          setServiceInstalled(result.succeeded() &&
                                              result.standardOutput.trimmed() == QByteArrayLiteral("loaded"));
                          if (then)
                              then();
                      });
}

void BackendManager::launchctl(const QStringList& arguments)
{
    ChildProcess::launchAndForget(ToolPaths::path(Tool::Launchctl), arguments);
}

void BackendManager::systemctl(const QStringList& arguments)
{
    ChildProcess::launchAndForget(ToolPaths::path(Tool::Systemctl),
                                  QStringList{QStringLiteral("--user")} + arguments);
}

void BackendManager::loadService()
{
    if (m_platform == Platform::Kind::MacOS)
        launchctl({QStringLiteral("load"), QStringLiteral("-w"), agentFilePath()});
    else
        systemctl({QStringLiteral("enable"), QLatin1String(unitName)});
}

void BackendManager::startService()
{
    if (m_platform == Platform::Kind::MacOS)
        launchctl({QStringLiteral("start"), label()});
    else
        systemctl({QStringLiteral("start"), QLatin1String(unitName)});
}

void BackendManager::stopService()
{
    if (m_platform == Platform::Kind::MacOS)
        launchctl({QStringLiteral("stop"), label()});
    else
        systemctl({QStringLiteral("stop"), QLatin1String(unitName)});
}

void BackendManager::startServiceLater(int delayMs)
{
    QTimer::singleShot(delayMs, this, &BackendManager::startService);
}

void BackendManager::autoLaunchIfNeeded()
{
    const auto launch = [this] {
        if (!plistExists())
            return;
        loadService();
        startServiceLater(m_delays.startAfterLoadMs);
    };
    if (m_platform == Platform::Kind::MacOS)
        launch();
    else
        askSystemd(launch);
}

void BackendManager::restart()
{
    stopService();
    startServiceLater(m_delays.startAfterStopMs);
}

void BackendManager::saveBotToken(const QString& token)
{
    const QString trimmed = TextUtil::trimSpacesAndTabs(token).toString();
    Settings().setTelegramBotToken(trimmed);
    const auto outcome = BackendEnvironment::writeBotToken(BackendEnvironment::filePath(), trimmed);
    if (outcome == BackendEnvironment::TokenWrite::Unreadable ||
        outcome == BackendEnvironment::TokenWrite::RefusedToken)
        return;
    // Only a file left untouched spares the backend a restart; a failed write restarts it all the same.
    restart();
}
