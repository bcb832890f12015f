#pragma once

#include <QtGlobal>

#include <cstddef>

// The 80-byte parameter record exchanged with the SMC user client (selector 2). The layout is the
// one the operating system's driver expects: the result byte at 40, a status byte at 41 and the
// command at 42. Integers are in the machine's byte order; the key is the big-endian code of its
// four characters as a number.
struct SmcParamRecord
{
    quint32 key = 0;               // 0
    quint8 version[8] = {};        // 4: major, minor, build, reserved, release (16 bits), padding
    quint8 powerLimits[16] = {};   // 12
    quint32 dataSize = 0;          // 28: key info output, read input
    quint32 dataType = 0;          // 32: key info output, a four-character code
    quint8 dataAttributes = 0;     // 36
    quint8 keyInfoPadding[3] = {}; // 37
    quint8 result = 0;             // 40: 0 means success
    quint8 status = 0;             // 41
    quint8 command = 0;            // 42
    quint8 commandPadding = 0;     // 43
    quint32 data32 = 0;            // 44
    quint8 bytes[32] = {};         // 48: the value, most significant byte first
};

static_assert(sizeof(SmcParamRecord) == 80);
static_assert(offsetof(SmcParamRecord, dataSize) == 28);
static_assert(offsetof(SmcParamRecord, dataType) == 32);
static_assert(offsetof(SmcParamRecord, result) == 40);
static_assert(offsetof(SmcParamRecord, command) == 42);
static_assert(offsetof(SmcParamRecord, bytes) == 48);

namespace SmcCommand {
inline constexpr quint8 readKey = 5;
inline constexpr quint8 keyInfo = 9;
inline constexpr quint32 selector = 2;
} // namespace SmcCommand

inline SmcParamRecord smcKeyInfoRequest(quint32 key)
{
    SmcParamRecord record;
    record.key = key;
    record.command = SmcCommand::keyInfo;
    return record;
}

inline SmcParamRecord smcReadRequest(quint32 key, quint32 dataSize)
{
    SmcParamRecord record;
    record.key = key;
    record.dataSize = dataSize;
    record.command = SmcCommand::readKey;
    return record;
}
