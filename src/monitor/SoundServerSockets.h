#pragma once

#include <QString>

// Where the sound servers listen, under $XDG_RUNTIME_DIR: PipeWire's socket in it, PulseAudio's (or
// pipewire-pulse's) in a folder of its own. The watcher waits for them and the settings window
// says whether they are there.
namespace SoundServerSockets {

inline constexpr char pipeWire[] = "pipewire-0";
inline constexpr char pulseDirectory[] = "pulse";
inline constexpr char pulseSocket[] = "native";

inline QString pipeWirePath(const QString& runtimeDirectory)
{
    return runtimeDirectory + QLatin1Char('/') + QLatin1String(pipeWire);
}

inline QString pulseDirectoryPath(const QString& runtimeDirectory)
{
    return runtimeDirectory + QLatin1Char('/') + QLatin1String(pulseDirectory);
}

inline QString pulseAudioPath(const QString& runtimeDirectory)
{
    return pulseDirectoryPath(runtimeDirectory) + QLatin1Char('/') + QLatin1String(pulseSocket);
}

} // namespace SoundServerSockets
