#include "ui/SetupWindow.h"

#include "ui/AppWindows.h"

#include <QQmlEngine>

SetupWindow::SetupWindow(TelegramSetupModel::Options options)
{
    engine()->addImportPath(QStringLiteral("qrc:/"));
    setTitle(QStringLiteral("Halvex Setup"));
    setColor(QColor::fromRgbF(0.051f, 0.051f, 0.063f));
    setResizeMode(QQuickView::SizeRootObjectToView);
    resize(AppWindows::setupWidth, AppWindows::setupHeight);
    AppWindows::fixSize(*this);
    m_model = new TelegramSetupModel(std::move(options), this);
    setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(m_model)}});
    setSource(QUrl(QStringLiteral("qrc:/Halvex/Ui/TelegramSetupView.qml")));
    AppWindows::centreOnScreen(*this);
}

SetupWindow::~SetupWindow()
{
    // The items bind to the model: they go before it.
    setSource({});
}
