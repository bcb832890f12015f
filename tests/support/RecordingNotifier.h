#pragma once

#include "platform/Notifier.h"

#include <QList>
#include <QStringList>

#include <memory>

// A notifier that keeps every notice it is asked to show; the list outlives the notifier.
class RecordingNotifier : public Notifier
{
public:
    using Log = std::shared_ptr<QList<QStringList>>;

    explicit RecordingNotifier(Log log) : m_log(std::move(log)) {}
    void notify(const QString& title, const QString& body, const QString& identifier) override
    {
        m_log->append({title, body, identifier});
    }

private:
    Log m_log;
};
