#pragma once

#include "monitor/CaptureStream.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>

// The PipeWire objects as "pw-dump --monitor" reports them: each document lists objects that appeared
// or changed (whole, replacing what was known under their id) and objects that went away ("info":
// null). From them come the capture streams that are running.
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
    };

    void applyObject(qint64 id, const QJsonObject& object);
    QJsonObject clientProperties(const QJsonObject& nodeProperties) const;

    QHash<qint64, Object> m_objects;
};
