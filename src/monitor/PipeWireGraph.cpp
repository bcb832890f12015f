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
    if (info.value(u"output-node-id").isDouble())
        known.outputNode = info.value(u"output-node-id").toInteger();
    if (info.value(u"input-node-id").isDouble())
        known.inputNode = info.value(u"input-node-id").toInteger();
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

QSet<qint64> PipeWireGraph::cameraConsumers() const
{
    QSet<qint64> consumers;
    for (const Object& link : m_objects) {
        if (link.type != u"PipeWire:Interface:Link" || link.state != u"active")
            continue;
        const auto source = m_objects.constFind(link.outputNode);
        const auto consumer = m_objects.constFind(link.inputNode);
        if (source == m_objects.cend() || consumer == m_objects.cend() ||
            source->type != u"PipeWire:Interface:Node" || consumer->type != u"PipeWire:Interface:Node")
            continue;
        if (CaptureStreamRules::isCameraSource(source->properties))
            consumers.insert(link.inputNode);
    }
    return consumers;
}

QList<CaptureStream> PipeWireGraph::runningCaptureStreams() const
{
    const QSet<qint64> cameraConsumers = this->cameraConsumers();
    // In id order, so that accesses starting together are reported in a stable order.
    QList<qint64> ids = m_objects.keys();
    std::sort(ids.begin(), ids.end());
    QList<CaptureStream> streams;
    for (qint64 id : ids) {
        const Object& node = *m_objects.constFind(id);
        if (node.type != u"PipeWire:Interface:Node")
            continue;
        QString type;
        if (cameraConsumers.contains(id))
            type = QStringLiteral("camera");
        else if (node.state == u"running")
            type = CaptureStreamRules::accessType(node.properties);
        if (type.isEmpty() || CaptureStreamRules::isMonitorOrMeter(node.properties))
            continue;
        streams.append(CaptureStreamRules::stream(type, node.properties, clientProperties(node.properties),
                                                  streamDetails(type, id)));
    }
    return streams;
}
