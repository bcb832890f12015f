#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <optional>

// The names of the installed applications, from the desktop entries of the XDG application
// directories (and Flatpak's and Snap's exports): by desktop id and by the executable their Exec or
// TryExec names. Read once, then cached; safe to use from any thread.
class DesktopEntries
{
public:
    // The XDG data directories of this session: XDG_DATA_HOME, XDG_DATA_DIRS, Flatpak and Snap exports.
    static QStringList defaultDataDirectories();
    // The index of the session's directories, read on first use.
    static const DesktopEntries& shared();

    explicit DesktopEntries(QStringList dataDirectories);

    // "org.mozilla.firefox" → the entry "org.mozilla.firefox.desktop"; Snap ids match "<id>_<app>".
    std::optional<QString> nameForAppId(const QString& appId) const;
    // An absolute executable path or a bare command name.
    std::optional<QString> nameForExecutable(const QString& executable) const;

    // The program an Exec line starts: its first word, after "env" and its assignments.
    static QString execProgram(const QString& exec);

private:
    void ensureLoaded() const;
    void load() const;

    QStringList m_directories;
    mutable QMutex m_mutex;
    mutable bool m_loaded = false;
    mutable QHash<QString, QString> m_byId;
    mutable QHash<QString, QString> m_byExecutable; // full path and base name
};
