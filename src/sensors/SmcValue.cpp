#include "sensors/SmcValue.h"

#include <QStringDecoder>

#include <bit>
#include <cstdint>

namespace SmcValue {

bool isValidCpuTemperature(double celsius)
{
    return celsius > minimumCelsius && celsius < maximumCelsius;
}

std::optional<quint32> keyCode(const QString& key)
{
    const QByteArray bytes = key.toUtf8();
    if (bytes.size() != 4)
        return std::nullopt;
    quint32 code = 0;
    for (char byte : bytes)
        code = (code << 8) | quint8(byte);
    return code;
}

QString codeText(quint32 code)
{
    const char bytes[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes, 4));
    return decoder.hasError() ? QString() : text;
}

double fromSp78(quint8 high, quint8 low)
{
    const auto raw = std::int16_t(std::uint16_t((high << 8) | low));
    return raw / 256.0;
}

double fromFlt(quint8 b0, quint8 b1, quint8 b2, quint8 b3)
{
    const std::uint32_t raw =
        (std::uint32_t(b0) << 24) | (std::uint32_t(b1) << 16) | (std::uint32_t(b2) << 8) | std::uint32_t(b3);
    return double(std::bit_cast<float>(raw));
}

std::optional<double> decode(const QString& dataType, QByteArrayView bytes)
{
    auto at = [&](qsizetype i) { return quint8(bytes[i]); };
    if (dataType == u"sp78" && bytes.size() >= 2)
        return fromSp78(at(0), at(1));
    if (dataType == u"flt " && bytes.size() >= 4)
        return fromFlt(at(0), at(1), at(2), at(3));
    return std::nullopt;
}

} // namespace SmcValue
