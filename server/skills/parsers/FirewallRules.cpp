#include "skills/parsers/FirewallRules.h"

#include <QStringList>

FirewallSummary FirewallSummary::fromNftRuleset(const QString& ruleset)
{
    FirewallSummary summary;
    bool inInputChain = false;
    for (const QString& raw : ruleset.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line == QLatin1String("}"))
            continue;
        if (line.startsWith(QLatin1String("table "))) {
            ++summary.tables;
        } else if (line.startsWith(QLatin1String("chain "))) {
            ++summary.chains;
            inInputChain = false;
        } else if (line.startsWith(QLatin1String("type "))) {
            inInputChain = line.contains(QLatin1String("hook input"));
            if (inInputChain && line.contains(QLatin1String("policy drop")))
                summary.inputDropsByDefault = true;
        } else if (line.startsWith(QLatin1String("policy "))) {
            if (inInputChain && line.contains(QLatin1String("drop")))
                summary.inputDropsByDefault = true;
        } else if (!line.startsWith(QLatin1String("set ")) && !line.startsWith(QLatin1String("elements ")) &&
                   !line.startsWith(QLatin1String("flags ")) && !line.endsWith(QLatin1Char('{'))) {
            ++summary.rules;
        }
    }
    return summary;
}

FirewallSummary FirewallSummary::fromIptables(const QString& rules)
{
    FirewallSummary summary;
    for (const QString& raw : rules.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("-P "))) {
            ++summary.chains;
            if (line == QLatin1String("-P INPUT DROP") || line == QLatin1String("-P INPUT REJECT"))
                summary.inputDropsByDefault = true;
        } else if (line.startsWith(QLatin1String("-N "))) {
            ++summary.chains;
        } else if (line.startsWith(QLatin1String("-A "))) {
            ++summary.rules;
        }
    }
    summary.tables = summary.chains > 0 ? 1 : 0;
    return summary;
}
