#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <functional>

// Runs `body` `iterations` times and returns the mean time per iteration in microseconds.
inline double microsecondsPerIteration(long iterations, const std::function<void()>& body)
{
    QElapsedTimer timer;
    timer.start();
    for (long i = 0; i < iterations; ++i)
        body();
    return double(timer.nsecsElapsed()) / 1000.0 / double(iterations);
}

// One result line: name, measured value with its unit, and the target it is held against.
inline void report(const char* name, double value, const char* unit, double limit)
{
    std::printf("%-52s %12.3f %-8s (target <= %g %s) %s\n", name, value, unit, limit, unit,
                value <= limit ? "ok" : "OVER");
}
