#pragma once

#include <QObject>
#include <QString>

// Tells this process's observers that a setting really changed (written with another value, or
// removed). The settings facade is a value that any code writes through, so a view that shows a
// stored value listens here instead of on each of its writers.
class SettingsChanges : public QObject
{
    Q_OBJECT
public:
    static SettingsChanges& instance();

Q_SIGNALS:
    void changed(const QString& key);

private:
    using QObject::QObject;
};
