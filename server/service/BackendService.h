#pragma once

#include "http/HttpServer.h"
#include "service/Clock.h"
#include "skills/SkillRunner.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class AccessSource;
class AutomationScheduler;
class AutomationService;
class AutomationStore;
class CallerTrust;
class ChatResponder;
class CommandRunner;
class ConfigStore;
class CustomSkillStore;
class Database;
class EventRecorder;
class EventStore;
class IdleMemoryRelease;
class Router;
class TelegramBotApi;
class TelegramLink;
struct ApiContext;

// halvexd as a whole: the database, the skills, the automations and their scheduler, the Telegram
// link, the detection sources and the HTTP API. Everything lives on the main thread.
class BackendService : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        quint16 port = 3456;
        QString databasePath;    // $HOME/.halvex/backend.db
        QString environmentFile; // the .env whose TELEGRAM_BOT_TOKEN seeds the token; empty: none
        Clock clock = systemClock();
        // The detection sources of this OS; tests pass their own (or none).
        std::function<std::vector<AccessSource*>()> sources;
        HttpServer::Options http;
        SkillRunner::Limits skillLimits;
        int schedulerMaxWaitMs = 5 * 60 * 1000; // how long the scheduler trusts its timer
        int idleReleaseMs = 5000; // how long the API stays quiet before serving's memory is handed back
    };

    explicit BackendService(Options options, QObject* parent = nullptr);
    ~BackendService() override;

    // Opens the database and starts listening; false with `error` set when either fails.
    bool start(QString* error);
    quint16 port() const;

    AutomationScheduler& scheduler() { return *m_scheduler; }
    EventRecorder& events() { return *m_recorder; }
    IdleMemoryRelease& idleRelease() { return *m_idleRelease; }

    static QString automationMessage(const QString& name, const QString& schedule, const QString& result);

private:
    void createServices();
    void runAutomation(const QString& skillId, std::function<void(bool, const QString&)> done);

    Options m_options;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<EventStore> m_eventStore;
    std::unique_ptr<AutomationStore> m_automationStore;
    std::unique_ptr<CustomSkillStore> m_customSkills;
    std::unique_ptr<ConfigStore> m_config;
    SkillRunner* m_runner = nullptr;
    CommandRunner* m_commands = nullptr;
    ChatResponder* m_chat = nullptr;
    TelegramBotApi* m_telegramApi = nullptr;
    TelegramLink* m_telegram = nullptr;
    AutomationService* m_automations = nullptr;
    AutomationScheduler* m_scheduler = nullptr;
    EventRecorder* m_recorder = nullptr;
    CallerTrust* m_callers = nullptr;
    IdleMemoryRelease* m_idleRelease = nullptr;
    std::unique_ptr<ApiContext> m_apiContext;
    std::unique_ptr<Router> m_router;
    HttpServer* m_http = nullptr;
};
