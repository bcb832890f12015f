#include "support/TelegramRig.h"

#include "monitor/OfferedButtons.h"
#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramCallbackPoller.h"
#include "monitor/TelegramDigest.h"
#include "platform/Notifier.h"
#include "platform/Settings.h"

#include <QJsonObject>

using namespace std::chrono_literals;

TelegramRig::TelegramRig(std::chrono::milliseconds digestWindow)
    : m_digestWindow(digestWindow), m_api(std::make_unique<FakeBotApi>()),
      m_pkill(QStringLiteral("HALVEX_TOOL_PKILL"))
{
    qputenv("HALVEX_TELEGRAM_API", m_api->origin().toUtf8());
    Settings settings;
    settings.remove(SettingsKey::telegramLastUpdateId);
    settings.remove(SettingsKey::telegramLastUpdateAt);
    settings.remove(SettingsKey::telegramOfferedButtons);
    settings.setTelegramBotToken(token);
    settings.setTelegramChatId(chatId);
    createEngine();
}

TelegramRig::~TelegramRig()
{
    m_engine.reset();
    qunsetenv("HALVEX_TELEGRAM_API");
}

void TelegramRig::createEngine()
{
    m_engine =
        std::make_unique<MonitorEngine>(false, nullptr, [] { return QDateTime::currentDateTimeUtc(); });
    m_engine->telegramApi().setTimeouts({500ms, 500ms});
    m_engine->telegramDigest().setWindow(m_digestWindow);
    m_engine->telegramPoller().setPollInterval(20ms);
}

void TelegramRig::restartEngine()
{
    m_engine.reset();
    createEngine();
}

void TelegramRig::offerButtons(const QStringList& names)
{
    for (const QString& name : names)
        OfferedButtons::remember(name, QDateTime::currentDateTimeUtc());
}

QStringList TelegramRig::sentTexts() const
{
    QStringList texts;
    for (const FakeBotApi::Request& request : sentMessages())
        texts.append(request.json().value(QLatin1String("text")).toString());
    return texts;
}
