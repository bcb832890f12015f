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
        const QString ofSink = source.value(u"monitor_of_sink").toString();
        const bool monitor = (!ofSink.isEmpty() && ofSink != u"n/a") ||
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
