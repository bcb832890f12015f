#include "app/BackendCheck.h"
#include "app/HeadlessMode.h"
#include "app/SingleInstance.h"
#include "app/TelegramSetupCommand.h"
#include "app/TrayApplication.h"
#include "platform/Diagnostics.h"
#include "ui/AppWindows.h"
#include "ui/DashboardWindow.h"
#include "ui/MenuBarPanel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtQml/qqmlextensionplugin.h>

#include <cstring>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

bool hasArgument(int argc, char** argv, const char* wanted)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    }
    return false;
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Halvex"));
    QCoreApplication::setApplicationName(QStringLiteral("Halvex"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HALVEX_VERSION));

    if (argc > 1 && std::strcmp(argv[1], TelegramSetupCommand::name) == 0) {
        QCoreApplication application(argc, argv);
        return TelegramSetupCommand::run(application, QCoreApplication::arguments().mid(2));
    }
    if (hasArgument(argc, argv, "--check-backend")) {
        QCoreApplication application(argc, argv);
        return BackendCheck::run(application);
    }

#ifdef Q_OS_MACOS
    const bool headless = hasArgument(argc, argv, "--headless");
#else
    const bool headless = hasArgument(argc, argv, "--headless") || !hasDisplay();
#endif
    const bool dashboard = hasArgument(argc, argv, "--dashboard");
    const auto request = dashboard ? SingleInstance::Request::Dashboard : SingleInstance::Request::Panel;
    if (headless) {
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
    QApplication application(argc, argv);
    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::Secondary)
        return handOver(request);
    return TrayApplication::run(
        application,
        {&MenuBarPanel::make, &AppWindows::createSetupWindow, &DashboardWindow::make, &SettingsWindow::make},
        instance, {.openDashboard = dashboard});
}
