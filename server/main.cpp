#include "monitor/PlatformSources.h"
#include "platform/CommandLineReply.h"
#include "platform/Diagnostics.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/UnixSignals.h"
#include "service/BackendService.h"
#include "service/HalvexdCommandLine.h"

#include <QCoreApplication>

// halvexd: the local backend service of the Halvex desktop application.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Halvex"));
    QCoreApplication::setApplicationName(QStringLiteral("halvexd"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HALVEX_VERSION));

    const HalvexdCommandLine::Invocation invocation =
        HalvexdCommandLine::parse(QCoreApplication::arguments().mid(1));
    switch (invocation.command) {
    case HalvexdCommandLine::Command::Help:
        return CommandLineReply::show(HalvexdCommandLine::help());
    case HalvexdCommandLine::Command::Version:
        return CommandLineReply::show(HalvexdCommandLine::versionText());
    case HalvexdCommandLine::Command::Refuse:
        return CommandLineReply::refuse(QStringLiteral("halvexd"), invocation.refusal,
                                        HalvexdCommandLine::usage());
    case HalvexdCommandLine::Command::Serve:
        break;
    }
    const QString workDir = invocation.workDir ? *invocation.workDir : Settings().backendWorkDir();

    BackendService::Options options;
    options.port = invocation.port;
    options.databasePath = Platform::createPrivateDataDirectory() + QStringLiteral("/backend.db");
    options.environmentFile = workDir + QStringLiteral("/.env");
    options.sources = &createPlatformSources;
    options.http.limits.requestDeadlineMs = int(invocation.requestTimeoutSeconds * 1000);
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
