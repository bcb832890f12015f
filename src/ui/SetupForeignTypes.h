#pragma once

#include "app/OnboardingModel.h"
#include "app/TelegramCardModel.h"
#include "app/TelegramSetupModel.h"

#include <QtQml/qqml.h>

// The Telegram set-up view models as QML sees them: created in C++ and handed to the views.
struct TelegramSetupModelForeign
{
    Q_GADGET
    QML_FOREIGN(TelegramSetupModel)
    QML_NAMED_ELEMENT(TelegramSetupModel)
    QML_UNCREATABLE("TelegramSetupModel is created by the set-up window")
};

struct TelegramCardModelForeign
{
    Q_GADGET
    QML_FOREIGN(TelegramCardModel)
    QML_NAMED_ELEMENT(TelegramCardModel)
    QML_UNCREATABLE("TelegramCardModel belongs to DashboardModel")
};

struct OnboardingModelForeign
{
    Q_GADGET
    QML_FOREIGN(OnboardingModel)
    QML_NAMED_ELEMENT(OnboardingModel)
    QML_UNCREATABLE("OnboardingModel belongs to DashboardModel")
};
