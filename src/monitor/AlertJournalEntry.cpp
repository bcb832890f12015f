#include "monitor/AlertJournalEntry.h"

#include "model/L10n.h"
#include "monitor/AlertNotice.h"

namespace AlertJournalEntry {
namespace {

QByteArray field(const char* name, const QString& value)
{
    return QByteArray(name) + '=' + value.toUtf8();
}

} // namespace

int priority(RiskLevel risk)
{
    switch (risk) {
    case RiskLevel::danger:
        return 4;
    case RiskLevel::unusual:
        return 5;
    case RiskLevel::normal:
        break;
    }
    return 6;
}

QString riskName(RiskLevel risk)
{
    switch (risk) {
    case RiskLevel::danger:
        return QStringLiteral("danger");
    case RiskLevel::unusual:
        return QStringLiteral("unusual");
    case RiskLevel::normal:
        break;
    }
    return QStringLiteral("normal");
}

RiskLevel riskOf(const SecurityAlert& alert)
{
    return computeRisk(alert.app, {alert.type}, L10n::friendlyApp(alert.app).isSystem);
}

SystemJournal::Entry forAlert(const SecurityAlert& alert)
{
    const RiskLevel risk = riskOf(alert);
    return {
        field("MESSAGE", AlertNotice::forAlert(alert).body),
        field("MESSAGE_ID", QLatin1String(messageId)),
        field("PRIORITY", QString::number(priority(risk))),
        field("SYSLOG_IDENTIFIER", QLatin1String(syslogIdentifier)),
        field("HALVEX_TYPE", alert.type),
        field("HALVEX_APP", alert.app),
        field("HALVEX_RISK", riskName(risk)),
        field("HALVEX_TIMESTAMP", alert.timestamp),
    };
}

} // namespace AlertJournalEntry
