#pragma once

#include <QtGlobal>

// What a cleanup is measured by. Both give 0 when the value cannot be read.
namespace SystemResources {

// Free bytes of the file system that holds "/".
qint64 freeDiskBytes();
// Memory available without swapping: free plus inactive pages on macOS, MemAvailable on Linux.
qint64 availableRamBytes();

} // namespace SystemResources
