#include "app/CmdMessage.h"

#include <QUuid>

CmdMessage CmdMessage::make(Role role, const QString& content, const QDateTime& ts)
{
    return {QUuid::createUuid().toString(QUuid::WithoutBraces), role, content, ts};
}

QString CmdMessage::roleName(Role role)
{
    switch (role) {
    case Role::user:
        return QStringLiteral("user");
    case Role::result:
        return QStringLiteral("result");
    case Role::error:
        return QStringLiteral("error");
    }
    return {};
}
