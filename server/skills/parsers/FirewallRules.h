#pragma once

#include <QString>

// What a firewall's rule listing says: how many rules, and whether unsolicited incoming traffic is
// dropped by default.
struct FirewallSummary
{
    int tables = 0;
    int chains = 0;
    int rules = 0;
    bool inputDropsByDefault = false;

    static FirewallSummary fromNftRuleset(const QString& ruleset); // nft list ruleset
    static FirewallSummary fromIptables(const QString& rules);     // iptables -S
};
