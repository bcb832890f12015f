#pragma once

#include <QObject>

// Whether any of the application's views is on screen: a window shown, not the tray icon's own
// window nor a menu. The fast refresh runs only then.
class ViewVisibility : public QObject
{
    Q_OBJECT
public:
    explicit ViewVisibility(QObject* parent = nullptr);

    bool anyShown() const { return m_anyShown; }

Q_SIGNALS:
    void anyShownChanged(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void recount();

    bool m_anyShown = false;
};
