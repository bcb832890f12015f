#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// The accesses of one type within an open five-minute Telegram window.
struct DigestBucket
{
    qint64 count = 1;         // the first access included
    QHash<QString, int> apps; // per display name
    QDateTime windowStart;
};
