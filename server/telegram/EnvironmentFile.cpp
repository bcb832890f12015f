#include "telegram/EnvironmentFile.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

namespace EnvironmentFile {

std::optional<QString> value(const QString& text, const QString& key)
{
    std::optional<QString> found;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("export ")))
            line = line.mid(7).trimmed();
        if (line.startsWith(QLatin1Char('#')) || !line.startsWith(key + QLatin1Char('=')))
            continue;
        QString assigned = line.mid(key.size() + 1).trimmed();
        if (assigned.size() >= 2 &&
            (assigned.front() == QLatin1Char('"') || assigned.front() == QLatin1Char('\'')) &&
            assigned.back() == assigned.front())
            assigned = assigned.mid(1, assigned.size() - 2);
        found = assigned; // the last assignment wins, as when the file is sourced
    }
    return found;
}

std::optional<QString> read(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return value(QString::fromUtf8(file.readAll()), key);
}

std::optional<QString> exposure(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    if (info.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user (uid %2)").arg(path).arg(info.st_uid);
    if (info.st_mode & 077)
        return QStringLiteral("%1 is readable by others (mode %2); chmod 600 it")
            .arg(path, QString::number(info.st_mode & 0777, 8));
    return std::nullopt;
}

} // namespace EnvironmentFile
