#include "ui/MenuBarPanel.h"

#include "app/MenuBarModel.h"
#include "ui/PanelPlacement.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickView>
#include <QScreen>

MenuBarPanel::MenuBarPanel(AppState& state, Mode mode, QObject* parent)
    : QObject(parent), m_state(state), m_mode(mode)
{
}

std::unique_ptr<TrayPanel> MenuBarPanel::make(AppState& state, Mode mode, std::function<void()> openDashboard)
{
    auto panel = std::make_unique<MenuBarPanel>(state, mode);
    QObject::connect(panel.get(), &MenuBarPanel::dashboardRequested, panel.get(), std::move(openDashboard));
    QObject::connect(panel.get(), &MenuBarPanel::quitRequested, qApp, &QCoreApplication::quit);
    return panel;
}

MenuBarPanel::~MenuBarPanel()
{
    // The view's items refer to the model: they go first.
    m_view.reset();
    m_model.reset();
    m_engine.reset();
}

void MenuBarPanel::create()
{
    m_engine = std::make_unique<QQmlEngine>();
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    m_model = std::make_unique<MenuBarModel>(m_state);
    connect(m_model.get(), &MenuBarModel::dashboardRequested, this, &MenuBarPanel::dashboardRequested);
    connect(m_model.get(), &MenuBarModel::quitRequested, this, &MenuBarPanel::quitRequested);
    m_view = std::make_unique<QQuickView>(m_engine.get(), nullptr);
    m_view->setTitle(QStringLiteral("Halvex"));
    m_view->setColor(QColor::fromRgbF(0.051f, 0.051f, 0.063f));
    m_view->setResizeMode(QQuickView::SizeViewToRootObject);
    if (m_mode == Mode::Popup) {
        m_view->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        // A panel, not a window: it goes away when the user looks elsewhere.
        connect(m_view.get(), &QWindow::activeChanged, this, [this] {
            if (!m_view->isActive() && m_view->isVisible())
                m_view->hide();
        });
    }
    connect(m_view.get(), &QWindow::visibleChanged, m_model.get(), &MenuBarModel::setShown);
    m_view->setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(m_model.get())}});
    m_view->setSource(QUrl(QStringLiteral("qrc:/Halvex/Ui/MenuBarView.qml")));
    m_model->appeared();
}

void MenuBarPanel::toggle(std::optional<QPoint> cursor)
{
    if (m_view && m_view->isVisible()) {
        m_view->hide();
        return;
    }
    open(cursor);
}

void MenuBarPanel::open(std::optional<QPoint> cursor)
{
    const bool first = !m_view;
    if (first)
        create();
    else
        m_model->appeared();
    if (m_mode == Mode::Popup) {
        const QScreen* screen = cursor ? QGuiApplication::screenAt(*cursor) : nullptr;
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen)
            m_view->setPosition(PanelPlacement::place(m_view->size(), screen->availableGeometry(), cursor));
    }
    m_view->show();
    m_view->raise();
    m_view->requestActivate();
}
