#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <memory>

// A window built on first open and destroyed once it is closed, so its QML engine and items are
// released while the tray session goes on; a second open while it is shown only raises it.
class OnDemandWindow : public QObject
{
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<QWindow>()>;

    explicit OnDemandWindow(Factory factory, QObject* parent = nullptr);
    ~OnDemandWindow() override;

    void open();
    // Destroys the window now, shown or not.
    void release();
    // The window while it exists.
    QWindow* window() const { return m_window; }

Q_SIGNALS:
    // The window was destroyed after its closing.
    void released();

private:
    Factory m_factory;
    QPointer<QWindow> m_window;
};
