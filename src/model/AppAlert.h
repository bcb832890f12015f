#pragma once

#include "model/RiskLevel.h"
#include "model/SecurityAlert.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One row of the alert feed: every alert of one application (names compared case-insensitively).
struct AppAlert
{
    QString id;  // the application name lower-cased
    QString app; // as the first alert met for it spelled it
    QString friendlyName;
    QString friendlyDesc;
    bool isSystem = false;
    QStringList types;  // distinct, lower-cased, in order of first appearance
    int totalCount = 0; // alerts folded in, duplicates included
    std::optional<QDateTime> mostRecentDate;
    QString mostRecentTimestamp; // the first alert's timestamp text
    RiskLevel risk = RiskLevel::normal;
    std::optional<QString> details;

    friend bool operator==(const AppAlert&, const AppAlert&) = default;
};

// Folds alerts into one row per application, in order of first appearance. The first alert met for an
// application represents it: the engine keeps its list newest first, so that is the newest one.
QList<AppAlert> groupByApp(const QList<SecurityAlert>& alerts);
