#include "monitor/OfferedButtons.h"

#include "platform/Settings.h"

#include <QStringList>

namespace OfferedButtons {
namespace {

struct Offer
{
    QDateTime at;
    QString name;
};

// Each entry reads "<milliseconds since the epoch> <name>"; the name may hold spaces.
QList<Offer> load()
{
    QList<Offer> offers;
    const QStringList entries = Settings().value(SettingsKey::telegramOfferedButtons).toStringList();
    for (const QString& entry : entries) {
        const qsizetype space = entry.indexOf(QLatin1Char(' '));
        bool ok = false;
        const qint64 msecs = entry.left(space).toLongLong(&ok);
        if (space > 0 && ok)
            offers.append({QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC), entry.mid(space + 1)});
    }
    return offers;
}

bool isLive(const Offer& offer, const QDateTime& now)
{
    const qint64 age = offer.at.msecsTo(now);
    return age >= 0 && age < std::chrono::milliseconds(lifetime).count();
}

} // namespace

void remember(const QString& name, const QDateTime& now)
{
    if (name.isEmpty())
        return;
    QStringList kept;
    for (const Offer& offer : load()) {
        if (offer.name != name && isLive(offer, now))
            kept.append(QString::number(offer.at.toMSecsSinceEpoch()) + QLatin1Char(' ') + offer.name);
    }
    kept.append(QString::number(now.toMSecsSinceEpoch()) + QLatin1Char(' ') + name);
    // The oldest go first: their presses are the least likely to come.
    if (kept.size() > maxNames)
        kept = kept.mid(kept.size() - maxNames);
    Settings().setValue(SettingsKey::telegramOfferedButtons, kept);
}

bool wasOffered(const QString& name, const QDateTime& now)
{
    if (name.isEmpty())
        return false;
    for (const Offer& offer : load()) {
        if (offer.name == name && isLive(offer, now))
            return true;
    }
    return false;
}

} // namespace OfferedButtons
