#include "BenchUtil.h"
#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramCallbackPoller.h"
#include "monitor/TelegramDigest.h"
#include "platform/Diagnostics.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

// The Telegram hand-off that recordAlert pays for every detected access, before its cool-down: with
// a window open, queueTelegramAlert reads the token and the chat id afresh and counts the access.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    QCoreApplication application(argc, argv);
    Diagnostics::setStream(Diagnostics::Stream::StandardError);

    Settings settings;
    settings.setTelegramBotToken(QStringLiteral("123456:bench"));
    settings.setTelegramChatId(QStringLiteral("424242"));

    // A closed port: the first message and the polling fail at once, off the measured loop.
    TelegramBotApi api(QStringLiteral("http://127.0.0.1:1"));
    TelegramCallbackPoller poller(api, [](const QString&) {});
    TelegramDigest digest(api, poller, [] { return QDateTime::currentDateTimeUtc(); });
    const auto access = [&digest] {
        digest.queueTelegramAlert(QStringLiteral("camera"), QStringLiteral("Xos"), QStringLiteral("Xos"));
    };
    access(); // opens the window

    const double micros = microsecondsPerIteration(20000, access);
    report("queueTelegramAlert, window open (per access)", micros, "us", 200.0);
    poller.stop();
    return 0;
}
