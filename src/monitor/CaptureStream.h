#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// One capture stream of the sound server (PipeWire or PulseAudio) that is running now.
struct CaptureStream
{
    QString type; // "microphone" or "camera"
    QString app;
    QString details;
    // What names the application: its process (0 when unknown), the name the stream gave, and the app
    // id a portal set. `app` is the name once the naming rule has run.
    qint64 pid = 0;
    QString streamName{};
    QString portalAppId{};
    quint64 startTime = 0;

    friend bool operator==(const CaptureStream&, const CaptureStream&) = default;
};

// What a stream's properties say about it, the same for PipeWire nodes and PulseAudio source outputs.
namespace CaptureStreamRules {

// "microphone" for an audio capture stream, "camera" for a video capture stream in the camera role,
// empty for anything else.
QString accessType(const QJsonObject& properties);

// A video source that is a camera: its role says so, or it comes from a camera device API. Screen
// casts are video sources too, without either.
bool isCameraSource(const QJsonObject& properties);

// A stream with its naming facts filled in from its own and its client's properties.
CaptureStream stream(const QString& type, const QJsonObject& properties, const QJsonObject& clientProperties,
                     const QString& details);

// Monitor streams (recording what is played) and level meters (a volume bar) use no microphone.
bool isMonitorOrMeter(const QJsonObject& properties);

// The application behind a stream. A sandboxed application is named by the app id its portal set,
// which it cannot forge; others by their executable, else by the name they gave; "Unknown App" when
// nothing names it. `clientProperties` are those of the stream's client, where known.
QString appName(const QJsonObject& properties, const QJsonObject& clientProperties = {});

// A property as text, whether the tool wrote it as a string, a number or a boolean.
QString text(const QJsonObject& properties, const QString& key);

} // namespace CaptureStreamRules
