#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// Which applications currently use a device, so that each is reported once when it starts and not
// again until it has stopped.
class ActiveApps
{
public:
    // Replaces the set with `activeNow` and returns the applications that were not active before, in
    // the order given.
    QStringList update(const QStringList& activeNow);
    void clear() { m_active.clear(); }
    bool contains(const QString& app) const { return m_active.contains(app); }
    bool isEmpty() const { return m_active.isEmpty(); }
    const QSet<QString>& active() const { return m_active; }

private:
    QSet<QString> m_active;
};
