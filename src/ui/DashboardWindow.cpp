#include "ui/DashboardWindow.h"

#include "app/DashboardModel.h"
#include "app/SettingsModel.h"
#include "ui/AppWindows.h"

#include <QQmlEngine>

namespace {

void prepare(QQuickView& view)
{
    view.engine()->addImportPath(QStringLiteral("qrc:/"));
    view.setColor(QColor::fromRgbF(0.051f, 0.051f, 0.063f));
    view.setResizeMode(QQuickView::SizeRootObjectToView);
}

} // namespace

DashboardWindow::DashboardWindow(AppState& state, std::function<void()> openSettings)
{
    prepare(*this);
    setTitle(QStringLiteral("Halvex"));
    // Parented to the window: the items, destroyed first with the view, never outlive it.
    m_model = new DashboardModel(state, this);
    if (openSettings)
        connect(m_model, &DashboardModel::settingsRequested, this, std::move(openSettings));
    connect(this, &QWindow::visibleChanged, m_model, &DashboardModel::setShown);
    resize(minimumWidth, minimumHeight);
    setMinimumSize(QSize(minimumWidth, minimumHeight));
    setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(m_model)}});
    setSource(QUrl(QStringLiteral("qrc:/Halvex/Ui/MainView.qml")));
    AppWindows::centreOnScreen(*this);
}

DashboardWindow::~DashboardWindow()
{
    // The items bind to the model: they go before it.
    setSource({});
}

std::unique_ptr<QWindow> DashboardWindow::make(AppState& state, std::function<void()> openSettings)
{
    return std::make_unique<DashboardWindow>(state, std::move(openSettings));
}

SettingsWindow::SettingsWindow(AppState& state)
{
    prepare(*this);
    setTitle(QStringLiteral("Halvex Settings"));
    m_model = new SettingsModel(state, this);
    connect(this, &QWindow::visibleChanged, m_model, [this](bool visible) {
        if (visible)
            m_model->appeared();
    });
    resize(fixedWidth, fixedHeight);
    AppWindows::fixSize(*this);
    setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(m_model)}});
    setSource(QUrl(QStringLiteral("qrc:/Halvex/Ui/SettingsView.qml")));
    AppWindows::centreOnScreen(*this);
}

SettingsWindow::~SettingsWindow()
{
    setSource({});
}

std::unique_ptr<QWindow> SettingsWindow::make(AppState& state)
{
    return std::make_unique<SettingsWindow>(state);
}
