#include "monitor/ActiveApps.h"

QStringList ActiveApps::update(const QStringList& activeNow)
{
    QStringList started;
    QSet<QString> next;
    for (const QString& app : activeNow) {
        if (next.contains(app))
            continue;
        next.insert(app);
        if (!m_active.contains(app))
            started.append(app);
    }
    m_active = std::move(next);
    return started;
}
