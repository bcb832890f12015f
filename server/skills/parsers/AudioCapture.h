#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Who records sound: the sound server's recording streams (`pactl list source-outputs`) and the ALSA
// capture devices that are running (/proc/asound/card*/pcm*c/sub*/status).
namespace AudioCapture {

struct Stream
{
    QString application;
    qint64 pid = 0;
};

QList<Stream> parsePactlSourceOutputs(const QString& output);

struct CaptureState
{
    bool running = false;
    qint64 ownerPid = 0;
};

CaptureState parseAlsaStatus(const QString& statusText);
// The running capture substreams of the machine, as "card0 pcm0c sub0" with their owner pids.
QList<std::pair<QString, CaptureState>> runningCaptures(const QString& procRoot);

} // namespace AudioCapture
