#include "monitor/PipeWireGraph.h"

#include <QJsonValue>

#include <algorithm>

namespace {

bool isRemoval(const QJsonObject& object)
{
    // Objects with an interface are removed with "info": null, plain ones with "props": null.
    return (object.contains(u"info") && object.value(u"info").isNull()) ||
           (!object.contains(u"type") && object.contains(u"props") && object.value(u"props").isNull());
}

QString streamDetails(const QString& type, qint64 id)
{
    const QString what = type == u"camera" ? QStringLiteral("Camera stream") : QStringLiteral("Recording");
    return what + QStringLiteral(" through PipeWire (node ") + QString::number(id) + QLatin1Char(')');
}

} // namespace

void PipeWireGraph::apply(const QJsonArray& objects)
{
    for (const QJsonValue& value : objects) {
        const QJsonObject object = value.toObject();
        const QJsonValue id = object.value(u"id");
        // An entry without a whole-number id is not an object we can track.
        if (!id.isDouble() || id.toDouble() != double(id.toInteger()))
            continue;
        if (isRemoval(object))
            m_objects.remove(id.toInteger());
        else
            applyObject(id.toInteger(), object);
    }
}

void PipeWireGraph::applyObject(qint64 id, const QJsonObject& object)
{
    Object& known = m_objects[id];
    if (object.value(u"type").isString())
        known.type = object.value(u"type").toString();
    const QJsonObject info = object.value(u"info").toObject();
    // Fields a document leaves out keep their last value.
    if (info.value(u"state").isString())
        known.state = info.value(u"state").toString();
    if (info.value(u"props").isObject())
        known.properties = info.value(u"props").toObject();
    else if (object.value(u"props").isObject())
        known.properties = object.value(u"props").toObject();
}

QJsonObject PipeWireGraph::clientProperties(const QJsonObject& nodeProperties) const
{
    const QJsonValue clientId = nodeProperties.value(u"client.id");
    const qint64 id = clientId.isString() ? clientId.toString().toLongLong() : clientId.toInteger(-1);
    const auto client = m_objects.constFind(id);
    if (client == m_objects.cend() || client->type != u"PipeWire:Interface:Client")
        return {};
    return client->properties;
}

QList<CaptureStream> PipeWireGraph::runningCaptureStreams() const
{
    // In id order, so that accesses starting together are reported in a stable order.
    QList<qint64> ids = m_objects.keys();
    std::sort(ids.begin(), ids.end());
    QList<CaptureStream> streams;
    for (qint64 id : ids) {
        const Object& node = *m_objects.constFind(id);
        if (node.type != u"PipeWire:Interface:Node" || node.state != u"running")
            continue;
        const QString type = CaptureStreamRules::accessType(node.properties);
        if (type.isEmpty() || CaptureStreamRules::isMonitorOrMeter(node.properties))
            continue;
        const QString app = CaptureStreamRules::appName(node.properties, clientProperties(node.properties));
        streams.append({type, app, streamDetails(type, id)});
    }
    return streams;
}
