#pragma once

#include <QDateTime>

#include <functional>

// The backend's time source; tests inject one of their own.
using Clock = std::function<QDateTime()>;

inline Clock systemClock()
{
    return [] { return QDateTime::currentDateTime(); };
}
