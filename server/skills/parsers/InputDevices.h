#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The input devices of /proc/bus/input/devices, with the event nodes that carry their input.
namespace InputDevices {

struct Device
{
    QString name;
    QStringList eventNodes;  // "event3"
    bool isKeyboard = false; // a keyboard handler and key repeat: a typing keyboard, not a power button
};

QList<Device> parse(const QString& text);

} // namespace InputDevices
