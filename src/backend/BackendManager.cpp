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
    return QFileInfo::exists(agentFilePath());
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
    if (!plistExists())
        return;
    loadService();
    startServiceLater(m_delays.startAfterLoadMs);
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
