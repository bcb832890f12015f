#include "app/BackendCheck.h"
#include "app/DesktopSession.h"
#include "app/HalvexCommandLine.h"
#include "app/HeadlessMode.h"
#include "app/SingleInstance.h"
#include "app/TelegramSetupCommand.h"
#include "app/TrayApplication.h"
#include "monitor/AlertJournal.h"
#include "platform/CommandLineReply.h"
#include "platform/Diagnostics.h"
#include "ui/AppWindows.h"
#include "ui/DashboardWindow.h"
#include "ui/MenuBarPanel.h"
#include "ui/X11WindowHints.h"

#include <QApplication>
#include <QCoreApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// One Halvex per session: a later launch asks the running one to show its panel (or the dashboard)
// and leaves with status 0.
int handOver(SingleInstance::Request request)
{
    if (SingleInstance::ask(request))
        Diagnostics::print(QStringLiteral("Halvex is already running: its window was brought forward."));
    else
        Diagnostics::print(QStringLiteral("Halvex is already running in this session."));
    return 0;
}

int monitor(int argc, char** argv, const HalvexCommandLine::Invocation& invocation)
{
    if (!invocation.journal)
        AlertJournal::turnOffForThisProcess();
    const auto request =
        invocation.dashboard ? SingleInstance::Request::Dashboard : SingleInstance::Request::Panel;
    if (HalvexCommandLine::runsHeadless(invocation, HalvexCommandLine::displayAvailable())) {
        QCoreApplication application(argc, argv);
        SingleInstance instance;
        if (instance.claim() == SingleInstance::Role::Secondary)
            return handOver(request);
        return HeadlessMode::run(application);
    }
    // The views are small and mostly still: Qt Quick's software scene graph draws them without loading a
    // GL driver or starting render threads. HALVEX_SCENE_GRAPH=rhi keeps Qt's own choice.
    if (qEnvironmentVariable("HALVEX_SCENE_GRAPH") != u"rhi")
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    const QString platform = DesktopSession::preferredPlatform(DesktopSession::Environment::current());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toUtf8());
    QApplication application(argc, argv);
    // The choice was this process's: the programs it starts make their own.
    if (!platform.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::Secondary)
        return handOver(request);
    const X11WindowHints::DarkThemeForEveryWindow darkWindows;
    return TrayApplication::run(
        application,
        {&MenuBarPanel::make, &AppWindows::createSetupWindow, &DashboardWindow::make, &SettingsWindow::make},
        instance, {.openDashboard = invocation.dashboard});
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Halvex"));
    QCoreApplication::setApplicationName(QStringLiteral("Halvex"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HALVEX_VERSION));
    // Wayland shells match windows to the desktop entry by this name (the app id) for its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.halvex.Halvex"));

    using HalvexCommandLine::Command;
    const HalvexCommandLine::Invocation invocation = HalvexCommandLine::parse(argumentsOf(argc, argv));
    switch (invocation.command) {
    case Command::Help:
        return CommandLineReply::show(HalvexCommandLine::help());
    case Command::Version:
        return CommandLineReply::show(HalvexCommandLine::versionText());
    case Command::Refuse:
        return CommandLineReply::refuse(QStringLiteral("halvex"), invocation.refusal,
                                        HalvexCommandLine::usage());
    case Command::TelegramSetup: {
        QCoreApplication application(argc, argv);
        return TelegramSetupCommand::run(application, invocation.setupArguments);
    }
    case Command::CheckBackend: {
        QCoreApplication application(argc, argv);
        return BackendCheck::run(application);
    }
    case Command::Monitor:
        break;
    }
    return monitor(argc, argv, invocation);
}
