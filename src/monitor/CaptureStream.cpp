#include "monitor/CaptureStream.h"

#include <QJsonValue>

namespace CaptureStreamRules {
namespace {

bool isTrue(const QJsonObject& properties, const QString& key)
{
    const QJsonValue value = properties.value(key);
    return value.isBool() ? value.toBool() : value.toString() == u"true";
}

} // namespace

QString text(const QJsonObject& properties, const QString& key)
{
    const QJsonValue value = properties.value(key);
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 17);
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return {};
}

QString accessType(const QJsonObject& properties)
{
    const QString mediaClass = text(properties, QStringLiteral("media.class"));
    if (mediaClass == u"Stream/Input/Audio")
        return QStringLiteral("microphone");
    if (mediaClass == u"Stream/Input/Video" && text(properties, QStringLiteral("media.role")) == u"Camera")
        return QStringLiteral("camera");
    return {};
}

bool isCameraSource(const QJsonObject& properties)
{
    if (text(properties, QStringLiteral("media.class")) != u"Video/Source")
        return false;
    const QString api = text(properties, QStringLiteral("device.api"));
    return text(properties, QStringLiteral("media.role")) == u"Camera" || api == u"v4l2" ||
           api == u"libcamera";
}

CaptureStream stream(const QString& type, const QJsonObject& properties, const QJsonObject& clientProperties,
                     const QString& details)
{
    auto first = [&](const QString& key) {
        const QString own = text(properties, key).trimmed();
        return own.isEmpty() ? text(clientProperties, key).trimmed() : own;
    };
    CaptureStream result;
    result.type = type;
    result.app = appName(properties, clientProperties);
    result.details = details;
    result.pid = first(QStringLiteral("application.process.id")).toLongLong();
    result.streamName = first(QStringLiteral("application.name"));
    result.portalAppId = first(QStringLiteral("pipewire.access.portal.app_id"));
    return result;
}

bool isMonitorOrMeter(const QJsonObject& properties)
{
    return isTrue(properties, QStringLiteral("stream.monitor")) ||
           isTrue(properties, QStringLiteral("stream.capture.sink")) ||
           text(properties, QStringLiteral("media.name")).contains(u"peak detect", Qt::CaseInsensitive);
}

QString appName(const QJsonObject& properties, const QJsonObject& clientProperties)
{
    const QStringList keys{QStringLiteral("pipewire.access.portal.app_id"),
                           QStringLiteral("application.process.binary"), QStringLiteral("application.name")};
    for (const QString& key : keys) {
        for (const QJsonObject* source : {&properties, &clientProperties}) {
            const QString name = text(*source, key).trimmed();
            if (!name.isEmpty())
                return name;
        }
    }
    return QStringLiteral("Unknown App");
}

} // namespace CaptureStreamRules
