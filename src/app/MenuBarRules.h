#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The wording and colour rules of the status-bar panel, free of any view so they can be tested alone.
namespace MenuBarRules {

// Thermal state as the operating system numbers it: nominal 0, fair 1, serious 2, critical 3.
enum class Tint { SafeGreen, Orange, Red, Secondary };

Tint cpuTempIconTint(std::optional<double> cpuTemp, int thermalState);
Tint thermalDotTint(int thermalState);
QString thermalLabel(int thermalState);
// "42°C": the temperature rounded to a whole number.
QString cpuReading(double cpuTemp);

// The status word of a sensor row, and whether the row is drawn green.
enum class WatchStatus { Monitored, Unavailable, Paused };
QString watchStatusText(WatchStatus status);

QString alertIcon(const QString& type);
QString humanSentence(const QString& name, const QString& type);

// Byte counts with French units: "1.5 Go", "42 Mo", "2.5 Mo", "512 Ko".
QString formatBytes(qint64 bytes);

inline constexpr int cleanStepCount = 5;
// The label of a cleanup step; steps past the last show the last.
QString cleanStepLabel(int step);
// The line shown when a cleanup ends: the gains that pass their thresholds, else the backend's
// answer, else "Cleanup done".
QString cleanResultText(qint64 diskGain, qint64 ramGain, const std::optional<QString>& backendResult);
inline constexpr qint64 diskGainThreshold = 30'000'000;
inline constexpr qint64 ramGainThreshold = 10'000'000;

// Numeric, component-wise comparison of dotted versions (1.10.0 is newer than 1.9.0); missing
// components count as 0. Absent when either text holds a component that is not a number.
std::optional<bool> isNewerVersion(const QString& remote, const QString& running);

// Time since `then` in the short relative style: "12 sec. ago", "3 min. ago", "2 hr. ago", "4 days ago".
QString relativeTime(const QDateTime& then, const QDateTime& now);

// The version shown as "v" + this and compared by the update check.
QString shortVersion();

} // namespace MenuBarRules
