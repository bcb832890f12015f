#include "ui/MenuBarPanel.h"

#include "app/MenuBarModel.h"
#include "ui/PanelPlacement.h"
#include "ui/X11WindowHints.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>

MenuBarPanel::MenuBarPanel(AppState& state, Mode mode, QObject* parent)
    : QObject(parent), m_state(state), m_mode(mode)
{
    m_release.setSingleShot(true);
    m_release.setInterval(defaultReleaseDelayMs);
    connect(&m_release, &QTimer::timeout, this, &MenuBarPanel::release);
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
    release();
}

void MenuBarPanel::release()
{
    m_release.stop();
    // A window going away is no user closing it: its last visibility change is not reported.
    if (m_view)
        m_view->disconnect(this);
    // The view's items refer to the model: they go first; the surface's role before the surface.
    m_layer.reset();
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
    // Its own title, so window rules can tell it from the dashboard.
    m_view->setTitle(QStringLiteral("Halvex Panel"));
    m_view->setColor(QColor::fromRgbF(0.051f, 0.051f, 0.063f));
    m_view->setResizeMode(QQuickView::SizeViewToRootObject);
    if (m_mode == Mode::Popup) {
        // A tool window: no taskbar button, and it goes away when the user looks elsewhere.
        m_view->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        connect(m_view.get(), &QWindow::activeChanged, this, [this] {
            if (!m_view->isActive() && m_view->isVisible())
                m_view->hide();
        });
    }
    connect(m_view.get(), &QWindow::visibleChanged, this, &MenuBarPanel::visibilityChanged);
    // "See more" and the sheets change the height: the panel stays inside the screen.
    connect(m_view.get(), &QWindow::heightChanged, this, [this] {
        if (m_view->isVisible())
            place();
    });
    const QScreen* screen = anchorScreen();
    m_view->setInitialProperties(
        {{QStringLiteral("model"), QVariant::fromValue(m_model.get())},
         {QStringLiteral("maximumHeight"), screen ? screen->availableGeometry().height() : 100000}});
    m_view->setSource(QUrl(QStringLiteral("qrc:/Halvex/Ui/MenuBarView.qml")));
    m_view->installEventFilter(this);
    if (m_mode == Mode::Window)
        keepContentSize();
    if (m_mode == Mode::Popup) {
        // On a Wayland compositor with a layer shell the popup sits at the bar's corner, where an
        // ordinary window cannot place itself.
        m_layer = LayerShellSurface::attach(
            *m_view, PanelPlacement::layerPlacement(m_anchor, screen ? screen->geometry() : QRect()));
        if (m_layer)
            connect(m_layer.get(), &LayerShellSurface::closed, m_view.get(), &QWindow::hide);
    }
}

void MenuBarPanel::keepContentSize()
{
    // The window is the panel itself: as large as its content and no larger, so tiling compositors
    // float it instead of stretching it, and no maximise button offers what the panel cannot fill.
    QQuickItem* root = m_view->rootObject();
    if (!root)
        return;
    const auto lock = [this, root] {
        const QSize size(qRound(root->width()), qRound(root->height()));
        if (size.isEmpty())
            return;
        // The new bounds first, then the size: a window manager holds a resize to the old bounds.
        m_view->setMinimumSize(size.boundedTo(m_view->minimumSize()));
        m_view->setMaximumSize(size.expandedTo(m_view->maximumSize()));
        m_view->resize(size);
        m_view->setMinimumSize(size);
        m_view->setMaximumSize(size);
    };
    connect(root, &QQuickItem::widthChanged, m_view.get(), lock);
    connect(root, &QQuickItem::heightChanged, m_view.get(), lock);
    lock();
}

bool MenuBarPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Escape closes the popup as it closes a menu; the window of a tray-less desktop stays.
    if (watched == m_view.get() && m_mode == Mode::Popup && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_view->hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MenuBarPanel::visibilityChanged(bool visible)
{
    m_model->setShown(visible);
    if (visible)
        return;
    m_release.start();
    if (m_hiddenHandler)
        m_hiddenHandler();
}

void MenuBarPanel::toggle(const PanelAnchor& anchor)
{
    if (m_view && m_view->isVisible()) {
        m_view->hide();
        return;
    }
    show(anchor);
}

QScreen* MenuBarPanel::anchorScreen() const
{
    QScreen* screen = nullptr;
    if (m_anchor.icon)
        screen = QGuiApplication::screenAt(m_anchor.icon->center());
    if (!screen && m_anchor.click)
        screen = QGuiApplication::screenAt(*m_anchor.click);
    return screen ? screen : QGuiApplication::primaryScreen();
}

void MenuBarPanel::place()
{
    const QScreen* screen = anchorScreen();
    if (!screen)
        return;
    if (QQuickItem* root = m_view->rootObject())
        root->setProperty("maximumHeight", screen->availableGeometry().height());
    if (m_layer)
        m_layer->setPlacement(PanelPlacement::layerPlacement(m_anchor, screen->geometry()));
    else if (m_mode == Mode::Popup)
        m_view->setPosition(
            PanelPlacement::place(m_view->size(), screen->geometry(), screen->availableGeometry(), m_anchor));
}

void MenuBarPanel::show(const PanelAnchor& anchor)
{
    m_release.stop();
    m_anchor = anchor;
    if (!m_view)
        create();
    const bool wasVisible = m_view->isVisible();
    if (!wasVisible) {
        m_model->appeared();
        place();
    }
    if (m_mode == Mode::Popup)
        X11WindowHints::skipTaskbar(*m_view);
    m_view->show();
    m_view->raise();
    m_view->requestActivate();
}
