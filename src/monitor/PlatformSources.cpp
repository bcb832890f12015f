#include "monitor/PlatformSources.h"

#include "monitor/CameraPoller.h"
#include "monitor/LinuxDeviceWatcher.h"
#include "monitor/LogStream.h"
#include "platform/Platform.h"

std::vector<AccessSource*> createPlatformSources()
{
    std::vector<AccessSource*> sources;
    if (Platform::isMacOS()) {
        sources.push_back(new LogStream);
        sources.push_back(new CameraPoller);
    } else {
        sources.push_back(new LinuxDeviceWatcher);
    }
    return sources;
}
