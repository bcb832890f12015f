#include "monitor/AlertJournal.h"

#include "monitor/AlertJournalEntry.h"
#include "platform/Settings.h"

#include <atomic>

namespace {
std::atomic<bool> turnedOffForThisProcess{false};
}

void AlertJournal::turnOffForThisProcess()
{
    turnedOffForThisProcess = true;
}

bool AlertJournal::isOn()
{
    if (turnedOffForThisProcess || !SystemJournal::isBuiltIn())
        return false;
    return Settings().journalAlerts();
}

void AlertJournal::record(const SecurityAlert& alert)
{
    if (isOn())
        m_journal.send(AlertJournalEntry::forAlert(alert));
}
