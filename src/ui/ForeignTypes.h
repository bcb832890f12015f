#pragma once

#include "app/AppState.h"
#include "app/AutoCleanSchedule.h"
#include "app/AutomationSettings.h"
#include "app/AutomationsSection.h"
#include "app/CleanupRun.h"
#include "app/CommandConsole.h"
#include "app/DashboardModel.h"
#include "app/MenuBarModel.h"
#include "app/SettingsModel.h"
#include "app/StrikeScan.h"

#include <QtQml/qqml.h>

// The application's objects as QML sees them: created in C++ and handed to the views.
struct AppStateForeign
{
    Q_GADGET
    QML_FOREIGN(AppState)
    QML_NAMED_ELEMENT(AppState)
    QML_UNCREATABLE("AppState is created by the application")
};

struct MenuBarModelForeign
{
    Q_GADGET
    QML_FOREIGN(MenuBarModel)
    QML_NAMED_ELEMENT(MenuBarModel)
    QML_UNCREATABLE("MenuBarModel is created by the panel")
};

struct CleanupRunForeign
{
    Q_GADGET
    QML_FOREIGN(CleanupRun)
    QML_NAMED_ELEMENT(CleanupRun)
    QML_UNCREATABLE("CleanupRun belongs to MenuBarModel")
};

struct AutomationSettingsForeign
{
    Q_GADGET
    QML_FOREIGN(AutomationSettings)
    QML_NAMED_ELEMENT(AutomationSettings)
    QML_UNCREATABLE("AutomationSettings belongs to MenuBarModel")
};

struct DashboardModelForeign
{
    Q_GADGET
    QML_FOREIGN(DashboardModel)
    QML_NAMED_ELEMENT(DashboardModel)
    QML_UNCREATABLE("DashboardModel is created by the dashboard window")
};

struct AlertFeedRowsForeign
{
    Q_GADGET
    QML_FOREIGN(AlertFeedRows)
    QML_NAMED_ELEMENT(AlertFeedRows)
    QML_UNCREATABLE("AlertFeedRows belongs to DashboardModel")
};

struct SettingsModelForeign
{
    Q_GADGET
    QML_FOREIGN(SettingsModel)
    QML_NAMED_ELEMENT(SettingsModel)
    QML_UNCREATABLE("SettingsModel is created by the settings window")
};

struct CommandConsoleForeign
{
    Q_GADGET
    QML_FOREIGN(CommandConsole)
    QML_NAMED_ELEMENT(CommandConsole)
    QML_UNCREATABLE("CommandConsole belongs to DashboardModel")
};

struct ScriptEditorForeign
{
    Q_GADGET
    QML_FOREIGN(ScriptEditor)
    QML_NAMED_ELEMENT(ScriptEditor)
    QML_UNCREATABLE("ScriptEditor is opened by CommandConsole")
};

struct AutoCleanScheduleForeign
{
    Q_GADGET
    QML_FOREIGN(AutoCleanSchedule)
    QML_NAMED_ELEMENT(AutoCleanSchedule)
    QML_UNCREATABLE("AutoCleanSchedule belongs to AppState")
};

struct StrikeScanForeign
{
    Q_GADGET
    QML_FOREIGN(StrikeScan)
    QML_NAMED_ELEMENT(StrikeScan)
    QML_UNCREATABLE("StrikeScan is created by DashboardModel for each opening of the threat scan")
};

struct AutomationsSectionForeign
{
    Q_GADGET
    QML_FOREIGN(AutomationsSection)
    QML_NAMED_ELEMENT(AutomationsSection)
    QML_UNCREATABLE("AutomationsSection belongs to DashboardModel")
};
