#include "app/TelegramSetupCommand.h"

#include "app/TelegramTokenText.h"
#include "backend/BackendManager.h"
#include "monitor/ChatIdSearch.h"
#include "monitor/TelegramBotApi.h"
#include "platform/Diagnostics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace TelegramSetupCommand {
namespace {

void say(FILE* stream, const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

struct Source
{
    std::optional<QString> tokenFile; // none: standard input
};

std::optional<Source> parse(const QStringList& arguments)
{
    Source source;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--token-file") && i + 1 < arguments.size())
            source.tokenFile = arguments[++i];
        else
            return std::nullopt;
    }
    return source;
}

// The first line of the file or of standard input, trimmed of white space at both ends.
std::optional<QString> readToken(const Source& source)
{
    QFile file;
    const bool opened = source.tokenFile
                            ? (file.setFileName(*source.tokenFile), file.open(QIODevice::ReadOnly))
                            : file.open(stdin, QIODevice::ReadOnly);
    if (!opened)
        return std::nullopt;
    const QString token = TelegramTokenText::pasted(QString::fromUtf8(file.readLine(4096)));
    if (token.isEmpty())
        return std::nullopt;
    return token;
}

// Test timings: fewer attempts, shorter pauses.
ChatIdSearch::Timing searchTiming()
{
    ChatIdSearch::Timing timing;
    bool ok = false;
    const int attempts = qEnvironmentVariableIntValue("HALVEX_CHAT_SEARCH_ATTEMPTS", &ok);
    if (ok && attempts > 0)
        timing.attempts = attempts;
    const int pauseMs = qEnvironmentVariableIntValue("HALVEX_CHAT_SEARCH_PAUSE_MS", &ok);
    if (ok && pauseMs >= 0)
        timing.retryDelay = std::chrono::milliseconds(pauseMs);
    return timing;
}

const QString usage =
    QStringLiteral("Usage: halvex telegram-setup [--token-file PATH]\n"
                   "The bot token is read from standard input (or from PATH), never from the command line.");

} // namespace

int run(QCoreApplication& application, const QStringList& arguments)
{
    // Our own lines are the output; the Bot API's diagnostics go to standard error.
    Diagnostics::setStream(Diagnostics::Stream::StandardError);
    const std::optional<Source> source = parse(arguments);
    if (!source) {
        say(stderr, usage);
        return 1;
    }
    if (!source->tokenFile)
        say(stdout, QStringLiteral("Paste your bot token from @BotFather and press Enter:"));
    const std::optional<QString> token = readToken(*source);
    if (!token) {
        say(stderr, QStringLiteral("No bot token was given."));
        return 1;
    }

    TelegramBotApi api;
    BackendManager backend;
    ChatIdSearch search(api);
    search.setTiming(searchTiming());
    QElapsedTimer sinceSave;
    int status = 1;
    // The backend restart started by the save finishes on a timer: stay until it has run.
    auto exitWith = [&](int code) {
        status = code;
        const int wait = BackendManager::Delays{}.startAfterStopMs + 100 - int(sinceSave.elapsed());
        QTimer::singleShot(std::max(0, wait), &application, &QCoreApplication::quit);
    };

    QObject::connect(&search, &ChatIdSearch::attemptFailed, &application, [](int attempt, int attempts) {
        say(stdout, QStringLiteral("Waiting for /start… (attempt %1 of %2)").arg(attempt).arg(attempts));
    });
    QObject::connect(&search, &ChatIdSearch::connected, &application, [&](const QString& chatId) {
        say(stdout,
            QStringLiteral("Telegram is connected! The welcome message went to chat %1.").arg(chatId));
        exitWith(0);
    });
    QObject::connect(&search, &ChatIdSearch::gaveUp, &application, [&] {
        say(stderr, QStringLiteral("No chat found after %1 attempts: send /start to your bot in Telegram, "
                                   "then run halvex telegram-setup again.")
                        .arg(search.timing().attempts));
        exitWith(1);
    });

    say(stdout, QStringLiteral("Checking the token…"));
    api.checkTelegramToken(*token, &application, [&](const TelegramBotApi::TokenCheck& check) {
        if (check.verdict != TelegramBotApi::TokenCheck::Verdict::Valid) {
            const bool unreachable = check.verdict == TelegramBotApi::TokenCheck::Verdict::Unreachable;
            say(stderr, QString::fromLatin1(unreachable ? TelegramTokenText::unreachable
                                                        : TelegramTokenText::invalidToken));
            QCoreApplication::exit(1);
            return;
        }
        say(stdout, QStringLiteral("Bot verified: @") + check.username);
        backend.saveBotToken(*token);
        sinceSave.start();
        say(stdout, QStringLiteral("Send /start to @%1 in Telegram…").arg(check.username));
        search.start(*token);
    });
    const int code = application.exec();
    return code != 0 ? code : status;
}

} // namespace TelegramSetupCommand
