#pragma once

#include <QDateTime>
#include <QString>

// One line of the console's transcript.
struct CmdMessage
{
    enum class Role { user, result, error };

    QString id; // fresh and random for every line
    Role role = Role::user;
    QString content;
    QDateTime ts;

    static CmdMessage make(Role role, const QString& content,
                           const QDateTime& ts = QDateTime::currentDateTime());
    static QString roleName(Role role);
};
