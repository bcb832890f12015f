#include "app/MenuBarRules.h"

#include "model/L10n.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

namespace MenuBarRules {

Tint cpuTempIconTint(std::optional<double> cpuTemp, int thermalState)
{
    if (cpuTemp) {
        if (*cpuTemp >= 90)
            return Tint::Red;
        return *cpuTemp >= 75 ? Tint::Orange : Tint::SafeGreen;
    }
    return thermalDotTint(thermalState);
}

Tint thermalDotTint(int thermalState)
{
    switch (thermalState) {
    case 0:
        return Tint::SafeGreen;
    case 1:
        return Tint::Orange;
    case 2:
    case 3:
        return Tint::Red;
    default:
        return Tint::Secondary;
    }
}

QString thermalLabel(int thermalState)
{
    static const std::array<QString, 4> labels{QStringLiteral("Normal"), QStringLiteral("Warm"),
                                               QStringLiteral("Hot"), QStringLiteral("Critical")};
    if (thermalState < 0 || thermalState >= int(labels.size()))
        return QStringLiteral("–");
    return labels[size_t(thermalState)];
}

QString watchStatusText(WatchStatus status)
{
    switch (status) {
    case WatchStatus::Monitored:
        return QStringLiteral("Monitored");
    case WatchStatus::Unavailable:
        return QStringLiteral("Unavailable");
    case WatchStatus::Paused:
        break;
    }
    return QStringLiteral("Paused");
}

QString cpuReading(double cpuTemp)
{
    return QString::number(std::lround(cpuTemp)) + QStringLiteral("°C");
}

QString alertIcon(const QString& type)
{
    if (type == u"camera")
        return QStringLiteral("\U0001F4F9");
    if (type == u"microphone")
        return QStringLiteral("\U0001F3A4");
    if (type == u"location")
        return QStringLiteral("\U0001F4CD");
    if (type == u"network")
        return QStringLiteral("\U0001F310");
    return QStringLiteral("\u26A0\uFE0F");
}

QString humanSentence(const QString& name, const QString& type)
{
    if (type == u"camera")
        return L10n::sentenceCamera(name);
    if (type == u"microphone")
        return L10n::sentenceMic(name);
    if (type == u"location")
        return L10n::sentenceLocation(name);
    if (type == u"network")
        return L10n::sentenceNetwork(name);
    return L10n::sentenceDefault(name);
}

QString formatBytes(qint64 bytes)
{
    if (bytes >= 1'000'000'000)
        return QString::asprintf("%.1f Go", double(bytes) / 1e9);
    if (bytes >= 10'000'000)
        return QString::asprintf("%.0f Mo", double(bytes) / 1e6);
    if (bytes >= 1'000'000)
        return QString::asprintf("%.1f Mo", double(bytes) / 1e6);
    return QString::number(bytes / 1024) + QStringLiteral(" Ko");
}

QString cleanStepLabel(int step)
{
    static const std::array<QString, cleanStepCount> labels{
        QStringLiteral("Cleaning the cache…"), QStringLiteral("Freeing up RAM…"),
        QStringLiteral("Clearing temp files…"), QStringLiteral("Optimizing disk index…"),
        QStringLiteral("Final cleanup…")};
    return labels[size_t(std::clamp(step, 0, cleanStepCount - 1))];
}

QString cleanResultText(qint64 diskGain, qint64 ramGain, const std::optional<QString>& backendResult)
{
    QStringList parts;
    if (diskGain > diskGainThreshold)
        parts << QStringLiteral("+") + formatBytes(diskGain) + QStringLiteral(" disk");
    if (ramGain > ramGainThreshold)
        parts << QStringLiteral("+") + formatBytes(ramGain) + QStringLiteral(" RAM");
    if (!parts.isEmpty())
        return parts.join(QStringLiteral(" · "));
    return backendResult.value_or(QStringLiteral("Cleanup done"));
}

QString relativeTime(const QDateTime& then, const QDateTime& now)
{
    const qint64 seconds = std::max<qint64>(0, then.secsTo(now));
    if (seconds < 60)
        return QStringLiteral("%1 sec. ago").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min. ago").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1 hr. ago").arg(seconds / 3600);
    const qint64 days = seconds / 86400;
    return days == 1 ? QStringLiteral("1 day ago") : QStringLiteral("%1 days ago").arg(days);
}

namespace {
std::optional<QList<qint64>> versionNumbers(const QString& text)
{
    QList<qint64> numbers;
    for (const QString& piece : text.trimmed().split(u'.')) {
        bool ok = false;
        const qint64 number = piece.toLongLong(&ok);
        if (!ok || number < 0)
            return std::nullopt;
        numbers << number;
    }
    return numbers;
}
} // namespace

std::optional<bool> isNewerVersion(const QString& remote, const QString& running)
{
    const auto a = versionNumbers(remote);
    const auto b = versionNumbers(running);
    if (!a || !b)
        return std::nullopt;
    for (qsizetype i = 0; i < std::max(a->size(), b->size()); ++i) {
        const qint64 left = a->value(i, 0);
        const qint64 right = b->value(i, 0);
        if (left != right)
            return left > right;
    }
    return false;
}

QString shortVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("1.1.0") : version;
}

} // namespace MenuBarRules
