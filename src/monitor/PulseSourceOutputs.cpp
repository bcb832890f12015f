#include "monitor/PulseSourceOutputs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace PulseSourceOutputs {

std::optional<QList<CaptureStream>> parse(const QByteArray& json)
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
        const QString index = CaptureStreamRules::text(output, QStringLiteral("index"));
        streams.append(
            {QStringLiteral("microphone"), CaptureStreamRules::appName(properties),
             QStringLiteral("Recording through PulseAudio (source output #") + index + QLatin1Char(')')});
    }
    return streams;
}

} // namespace PulseSourceOutputs
