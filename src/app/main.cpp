#include "app/BackendCheck.h"
#include "app/HeadlessMode.h"
#include "app/TelegramSetupCommand.h"
#include "app/TrayApplication.h"
#include "ui/AppWindows.h"
#include "ui/DashboardWindow.h"
#include "ui/MenuBarPanel.h"

#include <QApplication>
#include <QCoreApplication>
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
    if (headless) {
        QCoreApplication application(argc, argv);
        return HeadlessMode::run(application);
    }
    QApplication application(argc, argv);
    return TrayApplication::run(application, {&MenuBarPanel::make, &AppWindows::createSetupWindow,
                                              &DashboardWindow::make, &SettingsWindow::make});
}
