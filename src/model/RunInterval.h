#pragma once

#include <QString>
#include <QStringView>
#include <QTime>

// How often an automated skill runs: the label the automation sheet shows and the period in minutes.
struct RunInterval
{
    QString label;
    int minutes = 0;

    friend bool operator==(const RunInterval&, const RunInterval&) = default;
};

// The interval of a skill id; "Every 6h" (360 minutes) for an id no group lists.
RunInterval runInterval(QStringView skillId);
QString scheduleLabel(QStringView skillId);

// When the next run falls, assuming runs aligned on multiples of the interval counted from local
// midnight: "In 15 min", "In 1h 45min", "In 12h". `localTime` is the current local time of day.
QString nextRunText(QStringView skillId, QTime localTime);
QString nextRunText(QStringView skillId);
