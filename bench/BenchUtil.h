#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

// The environment of a view benchmark, set before the application is made: views drawn offscreen in
// software, a home of its own (kept while `home` lives), and the Linux sources.
inline void prepareOffscreenViews(const QTemporaryDir& home)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    qputenv("HOME", home.path().toUtf8());
    qputenv("HALVEX_PLATFORM", "linux");
}

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
