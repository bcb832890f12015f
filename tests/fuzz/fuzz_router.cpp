#include "FuzzText.h"
#include "api/ApiRoutes.h"
#include "automation/AutomationService.h"
#include "http/RequestHeadParser.h"
#include "http/RequestPolicy.h"
#include "http/Router.h"
#include "monitor/TelegramBotApi.h"
#include "service/CallerTrust.h"
#include "service/ChatResponder.h"
#include "service/CommandRunner.h"
#include "skills/SkillRunner.h"
#include "storage/AutomationStore.h"
#include "storage/ConfigStore.h"
#include "storage/CustomSkillStore.h"
#include "storage/Database.h"
#include "storage/EventStore.h"
#include "telegram/TelegramLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

// halvexd's API over a fresh database for each input, so a finding replays from its input alone. The
// status, script-skill and automation routes are the real handlers; the command, chat and Telegram
// routes run skills, force-quit applications or call the Bot API, so a stand-in on their paths only
// reads the body as they do.
struct Backend
{
    std::unique_ptr<Database> database;
    std::unique_ptr<EventStore> events;
    std::unique_ptr<AutomationStore> automationStore;
    std::unique_ptr<CustomSkillStore> customSkills;
    std::unique_ptr<ConfigStore> config;
    SkillRunner runner{SkillRunner::Limits{}};
    std::unique_ptr<CommandRunner> commands;
    std::unique_ptr<ChatResponder> chat;
    CallerTrust callers;
    TelegramBotApi telegramApi;
    std::unique_ptr<TelegramLink> telegram;
    std::unique_ptr<AutomationService> automations;
    std::unique_ptr<ApiContext> context;
    Router router;

    explicit Backend(const QString& path)
    {
        QString error;
        database = Database::open(path, &error);
        FuzzText::require(database != nullptr, "the database opens");
        events = std::make_unique<EventStore>(database->connection());
        automationStore = std::make_unique<AutomationStore>(database->connection());
        customSkills = std::make_unique<CustomSkillStore>(database->connection());
        config = std::make_unique<ConfigStore>(database->connection());
        commands = std::make_unique<CommandRunner>(runner, *customSkills);
        chat = std::make_unique<ChatResponder>(*commands, *customSkills);
        telegram = std::make_unique<TelegramLink>(*config, telegramApi);
        automations = std::make_unique<AutomationService>(*automationStore, *customSkills);
        context.reset(new ApiContext{
            *events, *customSkills, *automations, *commands, *chat, *telegram, callers, systemClock(), {}});
        ApiRoutes::addStatusRoutes(router, *context);
        ApiRoutes::addCustomSkillRoutes(router, *context);
        ApiRoutes::addAutomationRoutes(router, *context);
        const QList<std::pair<QByteArray, QString>> standIns{
            {"POST", "/api/command"},          {"POST", "/api/chat"},
            {"GET", "/api/config/bot-info"},   {"POST", "/api/config/chat-id"},
            {"POST", "/api/config/authorize"}, {"POST", "/api/setup"},
        };
        for (const auto& [method, path] : standIns) {
            router.add(method, path, [](const HttpRequest& request, const HttpResponder& responder) {
                responder.send(request.jsonObject() ? HttpResponse::succeeded()
                                                    : HttpResponse::error(400, QStringLiteral("not JSON")));
            });
        }
    }
};

QString databasePath()
{
    static QTemporaryDir directory(QDir("/dev/shm").isReadable()
                                       ? QStringLiteral("/dev/shm/halvex-fuzz-XXXXXX")
                                       : QDir::tempPath() + "/halvex-fuzz-XXXXXX");
    return directory.path() + QStringLiteral("/backend.db");
}

void removeDatabase(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The SQLite driver is a plugin, found through the application object. Never destroyed: at exit it
    // would run after Qt Sql's own statics are gone.
    static QCoreApplication* application = new QCoreApplication(*argc, *argv);
    Q_UNUSED(application);
    return 0;
}

// A whole request (head and body) in, the answer out, as a connection hands it on, without a socket.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzText::bytes(data, size);
    const qsizetype headEnd = input.indexOf("\r\n\r\n");
    if (headEnd < 0 || headEnd + 4 > RequestHeadParser::maxHeadBytes)
        return 0;
    const RequestHeadParser::Result parsed = RequestHeadParser::parse(input.left(headEnd + 4));
    if (!parsed.request) {
        (void)HttpResponse::error(parsed.errorStatus, parsed.error).serialize(false);
        return 0;
    }
    HttpRequest request = *parsed.request;
    qint64 bodyBytes = 0;
    if (const std::optional<HttpResponse> refusal = RequestPolicy::check(request, 3456, bodyBytes)) {
        (void)refusal->serialize(false);
        return 0;
    }
    request.body = input.mid(headEnd + 4, bodyBytes);
    if (request.body.size() < bodyBytes)
        return 0; // the connection would still be waiting for the rest

    const QString path = databasePath();
    removeDatabase(path);
    int answers = 0;
    QByteArray wire;
    {
        Backend backend(path);
        backend.router.handle(request, HttpResponder([&](const HttpResponse& response) {
                                  ++answers;
                                  wire = response.serialize(request.keepAlive());
                              }));
        // The script paths answer once the caller has been looked up, off the main thread; a request
        // without a socket has no caller to find, so that answer comes quickly.
        QElapsedTimer waited;
        waited.start();
        while (answers == 0 && waited.elapsed() < 500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
    }
    // Every one of these handlers answers, and only once.
    FuzzText::require(answers == 1, "one answer per request");
    FuzzText::require(wire.startsWith("HTTP/1.1 "), "an answer starts with its status line");
    return 0;
}
