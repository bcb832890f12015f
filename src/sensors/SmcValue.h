#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

// The value encodings of the system management controller, as pure functions.
namespace SmcValue {

// Temperatures outside (15, 120) °C are read errors, not readings.
inline constexpr double minimumCelsius = 15.0;
inline constexpr double maximumCelsius = 120.0;
bool isValidCpuTemperature(double celsius);

// A four-character key ("TC0P") as the big-endian code the SMC expects; absent unless the key's
// UTF-8 form is exactly four bytes.
std::optional<quint32> keyCode(const QString& key);
// A four-character code back to text, most significant byte first; undecodable bytes give "".
QString codeText(quint32 code);

// "sp78": signed 16-bit big-endian fixed point with 8 fraction bits.
double fromSp78(quint8 high, quint8 low);
// "flt ": IEEE-754 single precision, big-endian.
double fromFlt(quint8 b0, quint8 b1, quint8 b2, quint8 b3);
// The raw value bytes (most significant first) under the given data type; absent for other types
// and for too few bytes.
std::optional<double> decode(const QString& dataType, QByteArrayView bytes);

} // namespace SmcValue
