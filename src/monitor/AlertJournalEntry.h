#pragma once

#include "model/RiskLevel.h"
#include "model/SecurityAlert.h"
#include "platform/SystemJournal.h"

// The journal entry of one stored alert: the sentence of its desktop notice as the message, a syslog
// priority from its risk, and the alert's own fields, so a fleet's collector can filter and count
// without parsing the sentence.
namespace AlertJournalEntry {

// Every Halvex alert carries this MESSAGE_ID, and nothing else does: `journalctl MESSAGE_ID=…`
// finds them all. Fixed for good; collectors match on it.
inline constexpr char messageId[] = "832f6fea51244b228bbf1345db1e6aa2";
inline constexpr char syslogIdentifier[] = "halvex";

// Warning for danger, notice for unusual, info for normal (syslog's numbers 4, 5, 6).
int priority(RiskLevel risk);
QString riskName(RiskLevel risk);
// The risk of the one application and access type of the alert, as the alert feed rates it.
RiskLevel riskOf(const SecurityAlert& alert);

SystemJournal::Entry forAlert(const SecurityAlert& alert);

} // namespace AlertJournalEntry
