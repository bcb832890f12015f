#include "app/StrikeScan.h"

#include "model/ThreatVerdict.h"

#include <QVariantMap>

#include <algorithm>

StrikeScan::StrikeScan(Sender sender, ProfileSwitch applyProfile, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_applyProfile(std::move(applyProfile)),
      m_tasks(initialTasks())
{
}

QList<StrikeScan::Task> StrikeScan::initialTasks()
{
    const auto waiting = [](const char* id, const char* emoji, const char* name) {
        return Task{QString::fromUtf8(id), QString::fromUtf8(emoji), QString::fromUtf8(name), Status::Waiting,
                    std::nullopt};
    };
    return {
        waiting("rootkit-scanner", "🦠", "Rootkit Scanner"),
        waiting("keylogger-detector", "⌨️", "Keylogger Detector"),
        waiting("network-sniff-detector", "👁️", "Network Sniffer"),
        waiting("dns-leak-test", "🔍", "DNS Leak"),
        waiting("clipboard-monitor", "📋", "Clipboard Monitor"),
        waiting("process-list", "📊", "Process Audit"),
    };
}

QString StrikeScan::statusName(Status status)
{
    switch (status) {
    case Status::Waiting:
        return QStringLiteral("waiting");
    case Status::Running:
        return QStringLiteral("running");
    case Status::Clean:
        return QStringLiteral("clean");
    case Status::Threat:
        return QStringLiteral("threat");
    }
    return {};
}

QVariantList StrikeScan::tasks() const
{
    QVariantList rows;
    for (const Task& task : m_tasks)
        rows << QVariantMap{{QStringLiteral("id"), task.id},
                            {QStringLiteral("emoji"), task.emoji},
                            {QStringLiteral("name"), task.name},
                            {QStringLiteral("status"), statusName(task.status)},
                            {QStringLiteral("hasResult"), task.result.has_value()},
                            {QStringLiteral("result"), task.result.value_or(QString())}};
    return rows;
}

int StrikeScan::finishedCount() const
{
    return int(std::ranges::count_if(m_tasks, [](const Task& task) {
        return task.status == Status::Clean || task.status == Status::Threat;
    }));
}

void StrikeScan::runAllScans()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    m_pending = int(m_tasks.size());
    for (Task& task : m_tasks) {
        task.status = Status::Running;
        task.result.reset();
    }
    Q_EMIT tasksChanged();
    for (int i = 0; i < m_tasks.size(); ++i)
        m_sender(m_tasks.at(i).id, this, [this, i](std::optional<QString> reply) { apply(i, reply); });
}

void StrikeScan::apply(int index, const std::optional<QString>& reply)
{
    Task& task = m_tasks[index];
    if (task.status != Status::Running)
        return;
    // The verdict reads the whole reply: a keyword past the shown part still counts.
    task.result = reply ? std::optional(ThreatVerdict::resultPreview(*reply)) : std::nullopt;
    task.status = ThreatVerdict::detectThreat(reply.value_or(QString())) ? Status::Threat : Status::Clean;
    if (--m_pending == 0)
        m_isRunning = false;
    Q_EMIT taskFinished(index);
    Q_EMIT tasksChanged();
}

void StrikeScan::activateParanoid()
{
    if (!canActivateParanoid())
        return;
    m_applyProfile(QStringLiteral("paranoid"));
    m_paranoidActivated = true;
    Q_EMIT tasksChanged();
}
