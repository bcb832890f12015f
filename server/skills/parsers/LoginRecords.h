#pragma once

#include <QList>
#include <QString>

// The sessions `last --time-format iso -w -i` lists, newest first.
namespace LoginRecords {

struct Login
{
    QString user;
    QString terminal; // "pts/0", "tty2", "system boot"
    QString host;     // "0.0.0.0" for a local login
    QString start;    // ISO 8601
    QString status;   // "still logged in", "- 2024-12-09T11:00:02+00:00 (00:48)", "- crash", ...

    bool isBoot() const { return user == QLatin1String("reboot") || user == QLatin1String("shutdown"); }
    bool isRemote() const;
};

QList<Login> parse(const QString& lastOutput);

} // namespace LoginRecords
