#include "model/AppAlert.h"

#include "model/L10n.h"
#include "model/Timestamp.h"

#include <QHash>

namespace {

struct Fold
{
    const SecurityAlert* representative;
    QStringList types;
    int count = 0;
    std::optional<QDateTime> latest;

    void add(const SecurityAlert& alert)
    {
        // Types nearly always arrive in lower case already; that copy is then shared, not rebuilt.
        QString type = alert.type.isLower() ? alert.type : alert.type.toLower();
        if (!types.contains(type))
            types.append(std::move(type));
        ++count;
        const std::optional<QDateTime> time = Timestamp::parse(alert.timestamp);
        if (time && (!latest || *time > *latest))
            latest = time;
    }

    AppAlert toRow(const QString& key) const
    {
        const L10n::AppInfo info = L10n::friendlyApp(representative->app);
        return {key,
                representative->app,
                info.name,
                info.desc,
                info.isSystem,
                types,
                count,
                latest,
                representative->timestamp,
                computeRisk(key, types, info.isSystem), // the key is the name lower-cased already
                representative->details};
    }
};

} // namespace

QList<AppAlert> groupByApp(const QList<SecurityAlert>& alerts)
{
    // Alerts of one application mostly repeat one spelling: looking that spelling up first spares
    // lower-casing every name.
    QHash<QString, qsizetype> indexBySpelling;
    QHash<QString, qsizetype> indexByKey;
    QStringList keys;
    QList<Fold> folds;
    for (const SecurityAlert& alert : alerts) {
        auto spelling = indexBySpelling.constFind(alert.app);
        if (spelling == indexBySpelling.cend()) {
            QString key = alert.app.toLower();
            auto found = indexByKey.constFind(key);
            if (found == indexByKey.cend()) {
                found = indexByKey.insert(key, folds.size());
                keys.append(std::move(key));
                folds.append(Fold{&alert, {}, 0, std::nullopt});
            }
            spelling = indexBySpelling.insert(alert.app, *found);
        }
        folds[*spelling].add(alert);
    }

    QList<AppAlert> rows;
    rows.reserve(folds.size());
    for (qsizetype i = 0; i < folds.size(); ++i)
        rows.append(folds[i].toRow(keys[i]));
    return rows;
}
