#include "monitor/DesktopEntries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMutexLocker>

namespace {

struct Entry
{
    QString name;
    QStringList programs;
    bool usable = false;
};

Entry parseEntry(const QString& path)
{
    Entry entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    bool inMainGroup = false;
    bool hidden = false;
    bool application = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(16 * 1024)).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == u"Name")
            entry.name = value;
        else if (key == u"Exec" || key == u"TryExec")
            entry.programs.append(DesktopEntries::execProgram(value));
        else if (key == u"Hidden")
            hidden = value == u"true";
        else if (key == u"Type")
            application = value == u"Application";
    }
    entry.usable = application && !hidden && !entry.name.isEmpty();
    return entry;
}

QString baseName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Launchers and interpreters start many programs: an entry's "Exec=sh -c …" or "Exec=flatpak run …"
// must not give every shell or Flatpak process that entry's name.
bool isLauncher(const QString& program)
{
    static const QStringList launchers{
        QStringLiteral("sh"),       QStringLiteral("bash"),       QStringLiteral("dash"),
        QStringLiteral("zsh"),      QStringLiteral("env"),        QStringLiteral("flatpak"),
        QStringLiteral("snap"),     QStringLiteral("perl"),       QStringLiteral("ruby"),
        QStringLiteral("java"),     QStringLiteral("node"),       QStringLiteral("gjs"),
        QStringLiteral("wine"),     QStringLiteral("sudo"),       QStringLiteral("pkexec"),
        QStringLiteral("xdg-open"), QStringLiteral("gtk-launch"), QStringLiteral("mono")};
    const QString name = baseName(program);
    return launchers.contains(name) || name.startsWith(u"python");
}

} // namespace

QStringList DesktopEntries::defaultDataDirectories()
{
    const QString home = QDir::homePath();
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = home + QStringLiteral("/.local/share");
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList directories{dataHome};
    directories += dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    directories +=
        {dataHome + QStringLiteral("/flatpak/exports/share"),
         QStringLiteral("/var/lib/flatpak/exports/share"), QStringLiteral("/var/lib/snapd/desktop")};
    directories.removeDuplicates();
    return directories;
}

const DesktopEntries& DesktopEntries::shared()
{
    static const DesktopEntries entries(defaultDataDirectories());
    return entries;
}

DesktopEntries::DesktopEntries(QStringList dataDirectories) : m_directories(std::move(dataDirectories)) {}

QString DesktopEntries::execProgram(const QString& exec)
{
    QStringList words = exec.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& word : words)
        word.remove(QLatin1Char('"'));
    qsizetype first = 0;
    if (!words.isEmpty() && baseName(words.first()) == u"env") {
        first = 1;
        while (first < words.size() &&
               (words.at(first).contains(QLatin1Char('=')) || words.at(first).startsWith(u'-')))
            ++first;
    }
    return first < words.size() ? words.at(first) : QString();
}

void DesktopEntries::ensureLoaded() const
{
    if (!m_loaded) {
        load();
        m_loaded = true;
    }
}

void DesktopEntries::load() const
{
    // Earlier directories win, as the XDG lookup order says.
    for (const QString& directory : m_directories) {
        const QString applications = directory + QStringLiteral("/applications");
        QDirIterator it(applications, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const Entry entry = parseEntry(path);
            if (!entry.usable)
                continue;
            // Entries in subdirectories have ids joined with "-" (kde4/foo.desktop → kde4-foo).
            QString id = path.mid(applications.size() + 1);
            id.chop(int(qstrlen(".desktop")));
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (!m_byId.contains(id))
                m_byId.insert(id, entry.name);
            for (const QString& program : entry.programs) {
                if (program.isEmpty() || isLauncher(program))
                    continue;
                if (!m_byExecutable.contains(program))
                    m_byExecutable.insert(program, entry.name);
                if (!m_byExecutable.contains(baseName(program)))
                    m_byExecutable.insert(baseName(program), entry.name);
            }
        }
    }
}

std::optional<QString> DesktopEntries::nameForAppId(const QString& appId) const
{
    if (appId.isEmpty())
        return std::nullopt;
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    if (const auto it = m_byId.constFind(appId); it != m_byId.cend())
        return *it;
    // Snap names its entries "<snap>_<app>.desktop".
    const QString snapPrefix = appId + QLatin1Char('_');
    for (auto it = m_byId.cbegin(); it != m_byId.cend(); ++it) {
        if (it.key().startsWith(snapPrefix))
            return it.value();
    }
    return std::nullopt;
}

std::optional<QString> DesktopEntries::nameForExecutable(const QString& executable) const
{
    if (executable.isEmpty())
        return std::nullopt;
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    if (const auto it = m_byExecutable.constFind(executable); it != m_byExecutable.cend())
        return *it;
    if (const auto it = m_byExecutable.constFind(baseName(executable)); it != m_byExecutable.cend())
        return *it;
    return std::nullopt;
}
