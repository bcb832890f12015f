#include "skills/parsers/InputDevices.h"

namespace InputDevices {
namespace {

constexpr quint64 keyRepeatEvents = 1 << 20; // EV_REP

} // namespace

QList<Device> parse(const QString& text)
{
    QList<Device> devices;
    for (const QString& block : text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        Device device;
        bool keyboardHandler = false;
        quint64 events = 0;
        for (const QString& line : block.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("N: Name="))) {
                device.name = line.mid(8).trimmed();
                if (device.name.size() >= 2 && device.name.startsWith(QLatin1Char('"')) &&
                    device.name.endsWith(QLatin1Char('"')))
                    device.name = device.name.mid(1, device.name.size() - 2);
            } else if (line.startsWith(QLatin1String("H: Handlers="))) {
                for (const QString& handler : line.mid(12).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                    if (handler == QLatin1String("kbd"))
                        keyboardHandler = true;
                    else if (handler.startsWith(QLatin1String("event")))
                        device.eventNodes.append(handler);
                }
            } else if (line.startsWith(QLatin1String("B: EV="))) {
                events = line.mid(6).trimmed().toULongLong(nullptr, 16);
            }
        }
        device.isKeyboard = keyboardHandler && (events & keyRepeatEvents);
        if (!device.eventNodes.isEmpty())
            devices.append(device);
    }
    return devices;
}

} // namespace InputDevices
