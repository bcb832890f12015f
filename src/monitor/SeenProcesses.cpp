#include "monitor/SeenProcesses.h"

void SeenProcesses::remember(const QString& app, const QList<ProcessFacts>& processes, const QDateTime& now)
{
    QList<Seen>& seen = m_byApp[app.toLower()];
    for (const ProcessFacts& facts : processes) {
        if (facts.pid <= 0 || facts.startTime == 0)
            continue;
        auto same = std::find_if(seen.begin(), seen.end(), [&](const Seen& known) {
            return known.facts.pid == facts.pid && known.facts.startTime == facts.startTime;
        });
        if (same != seen.end())
            same->lastSeen = now;
        else
            seen.append({facts, now});
    }
    forgetOld(now);
}

QList<ProcessFacts> SeenProcesses::alive(const QString& app, const QString& procRoot, const QDateTime& now)
{
    forgetOld(now);
    QList<ProcessFacts> running;
    for (const Seen& seen : m_byApp.value(app.toLower())) {
        if (ProcessFiles::isAlive(procRoot, seen.facts))
            running.append(seen.facts);
    }
    return running;
}

void SeenProcesses::forgetOld(const QDateTime& now)
{
    for (auto it = m_byApp.begin(); it != m_byApp.end();) {
        it->removeIf([&](const Seen& seen) { return seen.lastSeen.secsTo(now) > keepSeconds; });
        it = it->isEmpty() ? m_byApp.erase(it) : std::next(it);
    }
}
