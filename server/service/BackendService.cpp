#include "service/BackendService.h"

#include "api/ApiRoutes.h"
#include "automation/AutomationScheduler.h"
#include "automation/AutomationService.h"
#include "http/Router.h"
#include "monitor/AccessSource.h"
#include "monitor/TelegramBotApi.h"
#include "platform/Diagnostics.h"
#include "service/CallerTrust.h"
#include "service/ChatResponder.h"
#include "service/CommandRunner.h"
#include "service/EventRecorder.h"
#include "service/IdleMemoryRelease.h"
#include "storage/AutomationStore.h"
#include "storage/ConfigStore.h"
#include "storage/CustomSkillStore.h"
#include "storage/Database.h"
#include "storage/EventStore.h"
#include "telegram/EnvironmentFile.h"
#include "telegram/TelegramLink.h"

namespace {

// Telegram refuses messages over 4,096 characters.
constexpr qsizetype telegramTextLimit = 4000;

} // namespace

BackendService::BackendService(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
}

BackendService::~BackendService()
{
    // The services go before the stores they use: first the server, so no request arrives meanwhile.
    for (QObject* service : std::initializer_list<QObject*>{m_http, m_idleRelease, m_callers, m_recorder,
                                                            m_scheduler, m_automations, m_telegram,
                                                            m_telegramApi, m_chat, m_commands, m_runner})
        delete service;
}

QString BackendService::automationMessage(const QString& name, const QString& schedule, const QString& result)
{
    QString text = QStringLiteral("⏰ %1 (%2)\n\n%3").arg(name, schedule, result);
    if (text.size() > telegramTextLimit)
        text = text.left(telegramTextLimit) + QStringLiteral("\n…");
    return text;
}

void BackendService::createServices()
{
    m_runner = new SkillRunner(m_options.skillLimits, this);
    m_commands = new CommandRunner(*m_runner, *m_customSkills, this);
    m_chat = new ChatResponder(*m_commands, *m_customSkills, this);
    m_telegramApi = new TelegramBotApi(this);
    m_telegram = new TelegramLink(*m_config, *m_telegramApi, this);
    m_automations = new AutomationService(*m_automationStore, *m_customSkills, this);
    m_scheduler = new AutomationScheduler(
        *m_automationStore, m_options.clock,
        [this](const QString& skillId, AutomationScheduler::ResultDone done) {
            m_commands->run(skillId, [done](const CommandRunner::Outcome& outcome) {
                done({outcome.success, outcome.result});
            });
        },
        [this](const StoredAutomation& automation, const AutomationScheduler::Result& result) {
            m_telegram->send(automationMessage(automation.name.value_or(automation.skillId),
                                               automation.schedule, result.text));
        },
        this, m_options.schedulerMaxWaitMs);
    connect(m_automations, &AutomationService::changed, m_scheduler, &AutomationScheduler::reschedule);
    m_recorder = new EventRecorder(*m_eventStore, m_options.clock, this);
    m_commands->setSeenProcesses([this](const QString& app) { return m_recorder->aliveProcessesOf(app); });
    m_callers = new CallerTrust(this);
    m_idleRelease = new IdleMemoryRelease([database = m_database.get()]() { database->releaseCache(); },
                                          m_options.idleReleaseMs, this);
}

bool BackendService::start(QString* error)
{
    m_database = Database::open(m_options.databasePath, error);
    if (!m_database)
        return false;
    if (!m_database->recoveredAs().isEmpty())
        Diagnostics::print(QStringLiteral("[halvexd] the database was damaged: moved it aside as %1 and "
                                          "started a fresh one")
                               .arg(m_database->recoveredAs()));
    m_eventStore = std::make_unique<EventStore>(m_database->connection());
    m_automationStore = std::make_unique<AutomationStore>(m_database->connection());
    m_customSkills = std::make_unique<CustomSkillStore>(m_database->connection());
    m_config = std::make_unique<ConfigStore>(m_database->connection());
    createServices();

    m_apiContext.reset(new ApiContext{*m_eventStore, *m_customSkills, *m_automations, *m_commands, *m_chat,
                                      *m_telegram, *m_callers, m_options.clock, m_database->recoveredAs()});
    m_router = std::make_unique<Router>();
    ApiRoutes::addAll(*m_router, *m_apiContext);
    HttpServer::Options http = m_options.http;
    http.port = m_options.port;
    m_http = new HttpServer(http, this);
    m_http->setHandler([router = m_router.get(), idle = m_idleRelease](const HttpRequest& request,
                                                                       const HttpResponder& responder) {
        idle->noteActivity();
        router->handle(request, responder);
    });
    if (!m_http->listen()) {
        if (error)
            *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                         .arg(m_options.port)
                         .arg(m_http->errorString());
        return false;
    }
    if (!m_options.environmentFile.isEmpty()) {
        if (const std::optional<QString> exposed = EnvironmentFile::exposure(m_options.environmentFile))
            Diagnostics::print(QStringLiteral("[halvexd] warning: the bot token file ") + *exposed);
        m_telegram->seedFromEnvironmentFile(m_options.environmentFile);
    }
    m_scheduler->reschedule();
    m_recorder->startRetention();
    // Opening checks every page of the database; what that filled goes back once start-up is quiet.
    m_idleRelease->noteActivity();
    if (m_options.sources)
        m_recorder->addSources(m_options.sources());
    return true;
}

quint16 BackendService::port() const
{
    return m_http ? m_http->port() : 0;
}
