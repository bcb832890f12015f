#include "app/ViewVisibility.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

namespace {

// Widget windows are the tray icon's own and its menu; every view is a Qt Quick window.
bool isView(const QWindow* window)
{
    return window->isVisible() && !window->inherits("QWidgetWindow") && window->type() != Qt::ToolTip &&
           window->type() != Qt::Popup;
}

} // namespace

ViewVisibility::ViewVisibility(QObject* parent) : QObject(parent)
{
    qGuiApp->installEventFilter(this);
    recount();
}

bool ViewVisibility::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide || type == QEvent::Close) && watched->isWindowType())
        // The window's own visibility settles after its event: count once it has.
        QTimer::singleShot(0, this, &ViewVisibility::recount);
    return QObject::eventFilter(watched, event);
}

void ViewVisibility::recount()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    const bool shown = std::any_of(windows.cbegin(), windows.cend(), isView);
    if (shown == m_anyShown)
        return;
    m_anyShown = shown;
    Q_EMIT anyShownChanged(shown);
}
