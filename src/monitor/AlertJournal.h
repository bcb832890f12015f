#pragma once

#include "model/SecurityAlert.h"
#include "platform/SystemJournal.h"

// Each stored alert also goes to the systemd journal, where a fleet collects it with the tools it
// already runs (journal upload, log shippers). On unless the journalAlerts setting is false or this
// process was started with --no-journal.
class AlertJournal
{
public:
    // --no-journal: nothing of this process goes to the journal, whatever the setting says.
    static void turnOffForThisProcess();
    // Read afresh for every alert, so switching the setting applies to the next one.
    static bool isOn();

    void record(const SecurityAlert& alert);

private:
    SystemJournal m_journal;
};
