#include "skills/parsers/DesktopEntry.h"

#include "skills/parsers/TextFields.h"

#include <QStringList>

DesktopEntry DesktopEntry::parse(const QString& text)
{
    DesktopEntry entry;
    bool inMainGroup = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals <= 0 || line.startsWith(QLatin1Char('#')))
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("Type"))
            entry.type = value;
        else if (key == QLatin1String("Hidden"))
            entry.hidden = value == QLatin1String("true");
        else if (key == QLatin1String("NoDisplay"))
            entry.noDisplay = value == QLatin1String("true");
        else if (key == QLatin1String("X-GNOME-Autostart-enabled"))
            entry.autostartEnabled = value != QLatin1String("false");
    }
    return entry;
}

DesktopEntry DesktopEntry::read(const QString& path)
{
    return parse(TextFields::readFile(path, 256 * 1024));
}
