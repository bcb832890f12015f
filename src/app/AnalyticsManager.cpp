#include "app/AnalyticsManager.h"

#include "model/TextUtil.h"
#include "platform/HttpUrl.h"
#include "platform/Platform.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QLocale>
#include <QPointer>
#include <QSysInfo>
#include <QUuid>

#include <memory>

namespace {

constexpr int deviceIdLength = 36;
constexpr qsizetype localeLength = 10;

// Which build this is, fixed when it is compiled.
QString chip()
{
#if defined(Q_PROCESSOR_ARM_64) && defined(Q_OS_MACOS)
    return QStringLiteral("Apple Silicon");
#elif defined(Q_PROCESSOR_X86_64)
    return QStringLiteral("Intel");
#else
    return QSysInfo::buildCpuArchitecture();
#endif
}

QString appVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("1.0") : version;
}

} // namespace

AnalyticsManager::Options AnalyticsManager::Options::fromEnvironment()
{
    Options options;
    // The common convention: any value but "0" asks not to be tracked, not only "1".
    const QString doNotTrack = qEnvironmentVariable("DO_NOT_TRACK");
    if (!doNotTrack.isEmpty() && doNotTrack != QLatin1String("0"))
        return options;
    if (const auto vendor = HttpUrl::parseBase(qEnvironmentVariable("HALVEX_VENDOR_URL")))
        options.endpoint = HttpUrl::appendPath(*vendor, QStringLiteral("api/app-events"));
    return options;
}

AnalyticsManager& AnalyticsManager::shared()
{
    static QPointer<AnalyticsManager> instance;
    if (!instance)
        instance = new AnalyticsManager(Options::fromEnvironment(), QCoreApplication::instance());
    return *instance;
}

AnalyticsManager::AnalyticsManager(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
    m_sessionStart = now();
    m_flushTimer.setInterval(m_options.flushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this]() { flush(); });
    if (isEnabled())
        loadDeviceId();
}

QDateTime AnalyticsManager::now() const
{
    return m_options.clock ? m_options.clock() : QDateTime::currentDateTimeUtc();
}

void AnalyticsManager::loadDeviceId()
{
    Settings settings;
    const std::optional<QString> stored = settings.analyticsDeviceId();
    if (stored && stored->size() == deviceIdLength) {
        m_deviceId = *stored;
        return;
    }
    m_deviceId = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    settings.setAnalyticsDeviceId(m_deviceId);
}

void AnalyticsManager::queue(const QString& name, const std::optional<QJsonObject>& props)
{
    if (!isEnabled())
        return;
    QJsonObject event{{QStringLiteral("name"), name},
                      {QStringLiteral("ts"), now().toUTC().toString(Qt::ISODate)}};
    if (props)
        event.insert(QStringLiteral("props"), *props);
    m_pendingEvents.append(event);
}

void AnalyticsManager::appLaunched()
{
    if (!isEnabled())
        return;
    m_sessionStart = now();
    Settings settings;
    if (!settings.analyticsDidInstall()) {
        settings.setAnalyticsDidInstall(true);
        queue(QStringLiteral("install"));
    }
    m_flushTimer.start();
    flush();
}

void AnalyticsManager::appWillTerminate()
{
    if (!isEnabled())
        return;
    // A clock set back during the session must not report a negative length.
    const qint64 minutes = std::max<qint64>(0, m_sessionStart.msecsTo(now()) / 60000);
    queue(QStringLiteral("session_end"), QJsonObject{{QStringLiteral("duration_min"), minutes}});
    m_flushTimer.stop();

    auto sent = std::make_shared<bool>(false);
    QEventLoop waiting;
    QPointer<QEventLoop> waitingGuard(&waiting);
    flush([sent, waitingGuard]() {
        *sent = true;
        if (waitingGuard)
            waitingGuard->quit();
    });
    if (*sent)
        return;
    QTimer::singleShot(m_options.quitWaitMs, &waiting, &QEventLoop::quit);
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
}

void AnalyticsManager::flush(std::function<void()> finished)
{
    if (!isEnabled() || m_pendingEvents.isEmpty()) {
        if (finished)
            finished();
        return;
    }
    const QJsonArray batch = std::exchange(m_pendingEvents, QJsonArray());
    HttpCall call;
    call.method = "POST";
    call.url = *m_options.endpoint;
    call.jsonBody = QJsonDocument(payload(batch)).toJson(QJsonDocument::Compact);
    call.timeoutMs = m_options.requestTimeoutMs;
    HttpExchange::send(m_network, call, this, [this, batch, finished](const HttpOutcome& outcome) {
        // Any HTTP reply, an error status included, ends the batch; only a lost request keeps it.
        if (!outcome.isHttpReply())
            requeueInFront(batch);
        if (finished)
            finished();
    });
}

void AnalyticsManager::requeueInFront(const QJsonArray& batch)
{
    QJsonArray events = batch;
    for (const QJsonValue& event : std::as_const(m_pendingEvents))
        events.append(event);
    m_pendingEvents = events;
}

QJsonObject AnalyticsManager::payload(const QJsonArray& events) const
{
    return {{QStringLiteral("device_id"), m_deviceId},
            {QStringLiteral("app_version"), appVersion()},
            {QStringLiteral("macos_version"), Platform::prettyOSName()},
            {QStringLiteral("chip"), chip()},
            {QStringLiteral("locale"), TextUtil::leftCharacters(QLocale::system().name(), localeLength)},
            {QStringLiteral("events"), events}};
}
