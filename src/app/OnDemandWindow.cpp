#include "app/OnDemandWindow.h"

OnDemandWindow::OnDemandWindow(Factory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory))
{
}

OnDemandWindow::~OnDemandWindow()
{
    release();
}

void OnDemandWindow::release()
{
    QWindow* window = m_window.data();
    m_window.clear();
    if (window)
        window->disconnect(this);
    delete window;
}

void OnDemandWindow::open()
{
    if (!m_window && m_factory) {
        QWindow* window = m_factory().release();
        if (!window)
            return;
        m_window = window;
        // Deleted later: the window is still inside its own signal here.
        connect(window, &QWindow::visibleChanged, this, [this, window](bool visible) {
            if (visible)
                return;
            if (m_window == window)
                m_window.clear();
            window->deleteLater();
            connect(window, &QObject::destroyed, this, &OnDemandWindow::released);
        });
    }
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}
