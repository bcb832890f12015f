#include "sensors/HwmonSensor.h"

#include "sensors/SmcValue.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <algorithm>

namespace HwmonSensor {
namespace {

// Where a candidate's value and trip points are kept.
struct SensorCandidate
{
    QString inputFile;
    std::optional<double> maxCelsius;
    std::optional<double> criticalCelsius;
};

// Sensor files are tiny; reading a bounded prefix keeps a file full of garbage harmless.
QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64);
}

QString readText(const QString& path)
{
    return QString::fromUtf8(readSmallFile(path)).trimmed();
}

std::optional<double> readMillidegrees(const QString& path)
{
    return parseMillidegrees(readSmallFile(path));
}

// Entries named prefix + number, in numeric order (hwmon10 after hwmon9).
QStringList numberedEntries(const QString& directory, const QString& prefix)
{
    QStringList names =
        QDir(directory).entryList({prefix + QLatin1Char('*')}, QDir::AllEntries | QDir::NoDotAndDotDot);
    names.removeIf([&](const QString& name) {
        bool isNumber = false;
        name.mid(prefix.size()).toUInt(&isNumber);
        return !isNumber;
    });
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return a.mid(prefix.size()).toUInt() < b.mid(prefix.size()).toUInt();
    });
    QStringList paths;
    for (const QString& name : names)
        paths.append(directory + QLatin1Char('/') + name);
    return paths;
}

SensorCandidate hwmonCandidate(const QString& device, const QString& channel)
{
    const QString base = device + QLatin1Char('/') + channel;
    return {base + QStringLiteral("_input"), readMillidegrees(base + QStringLiteral("_max")),
            readMillidegrees(base + QStringLiteral("_crit"))};
}

// The temperature channel ("temp1") whose label satisfies `wanted`; `fallback` when the driver
// labels no channel at all.
std::optional<QString> labelledChannel(const QString& device, auto wanted, const QString& fallback)
{
    const QStringList labels =
        QDir(device).entryList({QStringLiteral("temp*_label")}, QDir::Files, QDir::Name);
    if (labels.isEmpty())
        return QFile::exists(device + QLatin1Char('/') + fallback + QStringLiteral("_input"))
                   ? std::optional<QString>(fallback)
                   : std::nullopt;
    for (const QString& label : labels) {
        if (wanted(readText(device + QLatin1Char('/') + label)))
            return label.left(label.indexOf(QLatin1Char('_')));
    }
    return std::nullopt;
}

QList<SensorCandidate> hwmonCandidates(const QString& sysRoot)
{
    QList<SensorCandidate> coretemp, k10temp;
    for (const QString& device :
         numberedEntries(sysRoot + QStringLiteral("/class/hwmon"), QStringLiteral("hwmon"))) {
        const QString name = readText(device + QStringLiteral("/name"));
        const QString temp1 = QStringLiteral("temp1");
        if (name == u"coretemp") {
            if (auto channel = labelledChannel(
                    device, [](const QString& label) { return label.startsWith(u"Package id"); }, temp1))
                coretemp.append(hwmonCandidate(device, *channel));
        } else if (name == u"k10temp") {
            // Tdie is the die itself; Tctl may carry a fan-control offset on some parts.
            auto channel = labelledChannel(
                device, [](const QString& label) { return label == u"Tdie"; }, temp1);
            if (!channel)
                channel = labelledChannel(
                    device, [](const QString& label) { return label == u"Tctl"; }, temp1);
            if (channel)
                k10temp.append(hwmonCandidate(device, *channel));
        }
    }
    return coretemp + k10temp;
}

std::optional<double> lowest(std::optional<double> a, std::optional<double> b)
{
    if (a && b)
        return std::min(*a, *b);
    return a ? a : b;
}

SensorCandidate thermalZoneCandidate(const QString& zone)
{
    SensorCandidate candidate{zone + QStringLiteral("/temp"), std::nullopt, std::nullopt};
    const QStringList trips = QDir(zone).entryList({QStringLiteral("trip_point_*_type")}, QDir::Files);
    for (const QString& tripType : trips) {
        const QString type = readText(zone + QLatin1Char('/') + tripType);
        QString tempFile = tripType;
        tempFile.replace(QStringLiteral("_type"), QStringLiteral("_temp"));
        const std::optional<double> celsius = readMillidegrees(zone + QLatin1Char('/') + tempFile);
        if (type == u"critical")
            candidate.criticalCelsius = lowest(candidate.criticalCelsius, celsius);
        else if (type == u"hot" || type == u"passive")
            candidate.maxCelsius = lowest(candidate.maxCelsius, celsius);
    }
    return candidate;
}

std::optional<SensorCandidate> thermalZone(const QString& sysRoot)
{
    for (const QString& zone :
         numberedEntries(sysRoot + QStringLiteral("/class/thermal"), QStringLiteral("thermal_zone"))) {
        const QString type = readText(zone + QStringLiteral("/type"));
        if (type == u"x86_pkg_temp" || type.startsWith(u"cpu"))
            return thermalZoneCandidate(zone);
    }
    return std::nullopt;
}

} // namespace

std::optional<double> parseMillidegrees(QByteArrayView text)
{
    const QByteArrayView trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 12)
        return std::nullopt;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        if (!(c >= '0' && c <= '9') && !(i == 0 && c == '-'))
            return std::nullopt;
    }
    bool ok = false;
    const qlonglong millidegrees = trimmed.toByteArray().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return double(millidegrees) / 1000.0;
}

CpuReading read(const QString& sysRoot)
{
    QList<SensorCandidate> candidates = hwmonCandidates(sysRoot);
    if (auto zone = thermalZone(sysRoot))
        candidates.append(*zone);
    for (const SensorCandidate& candidate : candidates) {
        const std::optional<double> celsius = readMillidegrees(candidate.inputFile);
        if (celsius && SmcValue::isValidCpuTemperature(*celsius))
            return {celsius, Thermal::stateFor(*celsius, candidate.maxCelsius, candidate.criticalCelsius)};
    }
    // Without a sensor nothing was measured: no temperature and no thermal state, so the panel shows
    // "–" rather than a "Normal" it never read.
    return {std::nullopt, std::nullopt};
}

} // namespace HwmonSensor
