#pragma once

#include "app/TelegramSetupModel.h"

#include <QQuickView>

// "Halvex Setup", the first-run window: 440 × 560, centred, closable, not resizable. It owns its view
// model, so closing and reopening starts again at the welcome step.
class SetupWindow : public QQuickView
{
    Q_OBJECT
public:
    explicit SetupWindow(TelegramSetupModel::Options options = {});
    ~SetupWindow() override;
    TelegramSetupModel* model() { return m_model; }

private:
    TelegramSetupModel* m_model = nullptr;
};
