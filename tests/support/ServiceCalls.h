#pragma once

#include <QList>
#include <QStringList>

// The calls a fake systemctl recorded, as the tests of the services card read them. The unit's
// installed-ness is asked at every connection check, the first one's late answer included, which may
// come at any moment: a service's commands are told apart from those questions.
namespace ServiceCalls {

inline QList<QStringList> commands(const QList<QStringList>& calls)
{
    QList<QStringList> found;
    for (const QStringList& call : calls) {
        if (call.value(1) != QLatin1String("show"))
            found.append(call);
    }
    return found;
}

// Whether systemd was asked about the unit after the last command.
inline bool askedAfterTheCommands(const QList<QStringList>& calls)
{
    return !calls.isEmpty() && calls.constLast().value(1) == QLatin1String("show");
}

} // namespace ServiceCalls
