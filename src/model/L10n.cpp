#include "model/L10n.h"

#include "model/KnownApps.h"
#include "model/TextUtil.h"

namespace L10n {
namespace {

bool english(Language in)
{
    return in == Language::English;
}

QString fallbackName(QStringView app)
{
    QString name = app.mid(app.lastIndexOf(u'/') + 1).toString();
    for (const char* noise : {" Helper", " Agent", "com.apple.", "com."})
        name.remove(QLatin1String(noise));
    return name.isEmpty() ? app.toString() : name;
}

} // namespace

AppInfo friendlyApp(QStringView app)
{
    if (const KnownApp* row = KnownApps::find(app))
        return {TextUtil::staticText(row->name), TextUtil::staticText(row->desc), row->isSystem};
    return {fallbackName(app), TextUtil::staticText(unknownAppDescription), false};
}

// The count sentence has a single wording: the French build shows it in English too.
QString accessCount(int n, Language)
{
    return QString::number(n) + (n >= 2 ? QStringLiteral(" accesses") : QStringLiteral(" access")) +
           QStringLiteral(" detected today");
}

QString timesCount(int n, Language in)
{
    return QString::number(n) + (english(in) ? QStringLiteral("× today") : QStringLiteral("× aujourd'hui"));
}

QString sentenceCamera(const QString& name, Language in)
{
    return name +
           (english(in) ? QStringLiteral(" used your camera") : QStringLiteral(" a regardé par ta caméra"));
}

QString sentenceMic(const QString& name, Language in)
{
    return name +
           (english(in) ? QStringLiteral(" used your microphone") : QStringLiteral(" a écouté ton micro"));
}

QString sentenceLocation(const QString& name, Language in)
{
    return name + (english(in) ? QStringLiteral(" accessed your location")
                               : QStringLiteral(" a consulté ta position"));
}

QString sentenceNetwork(const QString& name, Language in)
{
    return name + (english(in) ? QStringLiteral(" connected to the Internet")
                               : QStringLiteral(" s'est connecté à Internet"));
}

QString sentenceDefault(const QString& name, Language in)
{
    return name + (english(in) ? QStringLiteral(" did something") : QStringLiteral(" a fait une action"));
}

QString tgControlsMac(const QString& botUserName, Language in)
{
    return QLatin1Char('@') + botUserName +
           (english(in) ? QStringLiteral(" controls your Mac") : QStringLiteral(" contrôle ton Mac"));
}

QString profileTaskCount(int n, Language in)
{
    return QString::number(n) + (english(in) ? QStringLiteral(" tasks") : QStringLiteral(" tâches"));
}

QString activeTasksCount(int n, Language in)
{
    return QString::number(n) +
           (english(in) ? QStringLiteral(" ACTIVE TASKS") : QStringLiteral(" TÂCHES ACTIVES"));
}

QString skillActionDesc(const QString& skillName, Language in)
{
    if (english(in))
        return QStringLiteral("Runs « ") + skillName +
               QStringLiteral(" » automatically and sends the result to Telegram.");
    return QStringLiteral("Exécute « ") + skillName +
           QStringLiteral(" » automatiquement et envoie le résultat sur Telegram.");
}

QString seeMore(int n, Language in)
{
    return (english(in) ? QStringLiteral("See more (") : QStringLiteral("Voir plus (")) + QString::number(n) +
           QLatin1Char(')');
}

QString ramPct(int percent, Language in)
{
    if (english(in))
        return QStringLiteral("Free up if > ") + QString::number(percent) + QStringLiteral("% used");
    return QStringLiteral("Libérer si > ") + QString::number(percent) + QStringLiteral("% utilisée");
}

QString everyN(int hours, Language in)
{
    return (english(in) ? QStringLiteral("Halvex will check every ")
                        : QStringLiteral("Halvex vérifiera toutes les ")) +
           QString::number(hours) + QLatin1Char('h');
}

} // namespace L10n
