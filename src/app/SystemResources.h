#pragma once

#include <QtGlobal>

#include <optional>

// What a cleanup is measured by. Both give 0 when the value cannot be read.
namespace SystemResources {

// Free bytes of the file system that holds "/".
qint64 freeDiskBytes();
// Memory available without swapping: free plus inactive pages on macOS, MemAvailable on Linux.
qint64 availableRamBytes();
// Installed memory; 0 when it cannot be read.
qint64 totalRamBytes();
// The share of memory in use, 0 to 100; absent when either figure cannot be read.
std::optional<double> memoryUsePercent();

} // namespace SystemResources
