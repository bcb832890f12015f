#pragma once

#include "monitor/CaptureStream.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QSet>

// The PipeWire objects as "pw-dump --monitor" reports them: each document lists objects that appeared
// or changed (whole, replacing what was known under their id) and objects that went away ("info":
// null). From them come the capture streams that are running: audio capture streams, video streams in
// the camera role, and whatever consumes a camera source through an active link (browsers and
// GStreamer's pipewiresrc set no role of their own; the camera's identity sits on the source node).
class PipeWireGraph
{
public:
    void apply(const QJsonArray& objects);
    void clear() { m_objects.clear(); }
    qsizetype size() const { return m_objects.size(); }

    QList<CaptureStream> runningCaptureStreams() const;

private:
    struct Object
    {
        QString type;
        QString state;
        QJsonObject properties;
        // Links only: the nodes they join.
        qint64 outputNode = -1;
        qint64 inputNode = -1;
    };

    void applyObject(qint64 id, const QJsonObject& object);
    QJsonObject clientProperties(const QJsonObject& nodeProperties) const;
    // Nodes fed by a camera source through an active link.
    QSet<qint64> cameraConsumers() const;

    QHash<qint64, Object> m_objects;
};
