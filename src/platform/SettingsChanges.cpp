#include "platform/SettingsChanges.h"

SettingsChanges& SettingsChanges::instance()
{
    static SettingsChanges changes;
    return changes;
}
