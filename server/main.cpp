#include "monitor/PlatformSources.h"
#include "platform/Diagnostics.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/UnixSignals.h"
#include "service/BackendService.h"

#include <QCommandLineParser>
#include <QCoreApplication>

// halvexd: the local backend service of the Halvex desktop application.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Halvex"));
    QCoreApplication::setApplicationName(QStringLiteral("halvexd"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HALVEX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Halvex backend service: skills, automations, events and "
                                                    "Telegram, over HTTP on 127.0.0.1."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port on 127.0.0.1 (default 3456)."),
                                        QStringLiteral("port"), QStringLiteral("3456"));
    const QCommandLineOption workDirOption(
        QStringLiteral("workdir"),
        QStringLiteral(
            "Directory of the .env file whose TELEGRAM_BOT_TOKEN seeds the bot token (default: the "
            "application's backend directory)."),
        QStringLiteral("directory"));
    const QCommandLineOption requestTimeoutOption(
        QStringLiteral("request-timeout"),
        QStringLiteral("Seconds a client may take to send a whole request before its connection is closed "
                       "(default 10)."),
        QStringLiteral("seconds"), QStringLiteral("10"));
    parser.addOption(portOption);
    parser.addOption(workDirOption);
    parser.addOption(requestTimeoutOption);
    parser.process(application);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port == 0 || port > 65535) {
        Diagnostics::print(QStringLiteral("[halvexd] invalid port: %1").arg(parser.value(portOption)));
        return 2;
    }
    bool timeoutOk = false;
    const double requestTimeout = parser.value(requestTimeoutOption).toDouble(&timeoutOk);
    if (!timeoutOk || requestTimeout <= 0 || requestTimeout > 3600) {
        Diagnostics::print(
            QStringLiteral("[halvexd] invalid request timeout: %1").arg(parser.value(requestTimeoutOption)));
        return 2;
    }
    const QString workDir =
        parser.isSet(workDirOption) ? parser.value(workDirOption) : Settings().backendWorkDir();

    BackendService::Options options;
    options.port = quint16(port);
    options.databasePath = Platform::createPrivateDataDirectory() + QStringLiteral("/backend.db");
    options.environmentFile = workDir + QStringLiteral("/.env");
    options.sources = &createPlatformSources;
    options.http.limits.requestDeadlineMs = int(requestTimeout * 1000);
    BackendService service(options);
    QString error;
    if (!service.start(&error)) {
        Diagnostics::print(QStringLiteral("[halvexd] ") + error);
        return 1;
    }
    Diagnostics::print(QStringLiteral("[halvexd] listening on http://127.0.0.1:%1").arg(service.port()));

    UnixSignals unixSignals;
    QObject::connect(&unixSignals, &UnixSignals::terminationRequested, &application, &QCoreApplication::quit);
    return application.exec();
}
