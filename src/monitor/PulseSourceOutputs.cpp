#include "monitor/PulseSourceOutputs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace PulseSourceOutputs {

std::optional<QList<CaptureStream>> parse(const QByteArray& json, const QSet<qint64>& monitorSources)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray())
        return std::nullopt;
    QList<CaptureStream> streams;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject output = value.toObject();
        const QJsonObject properties = output.value(u"properties").toObject();
        if (output.value(u"corked").toBool(false) || CaptureStreamRules::isMonitorOrMeter(properties))
            continue;
        // Real PulseAudio marks no monitor recording on the stream: only its source tells.
        const QJsonValue source = output.value(u"source");
        if (source.isDouble() && monitorSources.contains(source.toInteger()))
            continue;
        const QString index = CaptureStreamRules::text(output, QStringLiteral("index"));
        streams.append(CaptureStreamRules::stream(
            QStringLiteral("microphone"), properties, {},
            QStringLiteral("Recording through PulseAudio (source output #") + index + QLatin1Char(')')));
    }
    return streams;
}

std::optional<QSet<qint64>> monitorSources(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray())
        return std::nullopt;
    QSet<qint64> monitors;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject source = value.toObject();
        // pactl 16 writes the monitored sink under "monitor_source" in its source list; other versions
        // use "monitor_of_sink". The device class says it on every server.
        auto namesSink = [&source](QLatin1StringView key) {
            const QString sink = source.value(key).toString();
            return !sink.isEmpty() && sink != u"n/a";
        };
        const bool monitor = namesSink(QLatin1StringView("monitor_of_sink")) ||
                             namesSink(QLatin1StringView("monitor_source")) ||
                             CaptureStreamRules::text(source.value(u"properties").toObject(),
                                                      QStringLiteral("device.class")) == u"monitor";
        if (monitor && source.value(u"index").isDouble())
            monitors.insert(source.value(u"index").toInteger());
    }
    return monitors;
}

std::optional<bool> servedByPipeWire(const QByteArray& json)
{
    const QJsonObject info = QJsonDocument::fromJson(json).object();
    const QJsonValue name = info.value(u"server_name");
    if (!name.isString())
        return std::nullopt;
    return name.toString().contains(u"on PipeWire");
}

} // namespace PulseSourceOutputs
