#pragma once

#include "model/SecurityAlert.h"
#include "model/Timestamp.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <algorithm>

// One access as the engine stores it.
inline SecurityAlert benchAccess(const QString& type, const QString& app, const QDateTime& when)
{
    return {type, app, QStringLiteral("/usr/bin/") + app, Timestamp::format(when), std::nullopt};
}

// `count` accesses of every type by `apps` applications, 40 s apart, the newest first.
inline QList<SecurityAlert> benchAccesses(int count, int apps, const QDateTime& now)
{
    const QStringList types{"camera", "microphone", "location", "network"};
    QList<SecurityAlert> alerts;
    for (int i = 0; i < count; ++i)
        alerts.append(
            benchAccess(types[i % 4], QStringLiteral("app-%1").arg(i % apps), now.addSecs(-i * 40)));
    return alerts;
}

inline double median(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}
