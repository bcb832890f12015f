#include "api/EventAnswers.h"
#include "storage/AutomationStore.h"
#include "storage/ConfigStore.h"
#include "storage/CustomSkillStore.h"
#include "storage/Database.h"
#include "storage/EventStore.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr qint64 hourMs = 3'600'000;

// Writes garbage over every page after the first (the header stays, so SQLite still opens the file).
void overwritePagesAfterTheFirst(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() > 8192);
    QVERIFY(file.seek(4096));
    file.write(QByteArray(file.size() - 4096, '\xA5'));
}

} // namespace

// halvexd's SQLite storage on real files.
class BackendStorageTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("backend.db")); }

private Q_SLOTS:
    void init() { QFile::remove(path()); }

    void opensOwnerOnlyWithWriteAheadLog()
    {
        QString error;
        auto database = Database::open(path(), &error);
        QVERIFY2(database, qPrintable(error));
        const QFileDevice::Permissions permissions = QFileInfo(path()).permissions();
        QVERIFY(permissions & QFileDevice::WriteOwner);
        QVERIFY(!(permissions & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                                 QFileDevice::WriteOther)));
        QSqlQuery query(database->connection());
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("wal"));
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version")) && query.next());
        QCOMPARE(query.value(0).toInt(), Database::schemaVersion);
    }

    void refusesNewerSchema()
    {
        {
            auto database = Database::open(path(), nullptr);
            QSqlQuery query(database->connection());
            QVERIFY(query.exec(QStringLiteral("PRAGMA user_version=%1").arg(Database::schemaVersion + 1)));
        }
        QString error;
        QVERIFY(!Database::open(path(), &error));
        QVERIFY(error.contains(QLatin1String("schema version")));
    }

    // Damage met by a read after the start: the read fails (it never looks like an empty table), and
    // the next open moves the file aside and starts afresh.
    void damageMetLaterFailsReadsAndRecoversAtNextOpen()
    {
        {
            auto database = Database::open(path(), nullptr);
            CustomSkillStore skills(database->connection());
            for (int i = 0; i < 40; ++i)
                QVERIFY(skills.create(QStringLiteral("Skill %1").arg(i), QStringLiteral("⚡"),
                                      QStringLiteral("echo %1\n").arg(i).repeated(40)));
        }
        overwritePagesAfterTheFirst(path());
        {
            // A connection that skipped the check at open, as if the damage came while running.
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            raw.setDatabaseName(path());
            QVERIFY(raw.open());
            CustomSkillStore skills(raw);
            QVERIFY(!skills.list());
            raw.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        QString error;
        auto database = Database::open(path(), &error);
        QVERIFY2(database, qPrintable(error));
        QVERIFY2(database->recoveredAs().startsWith(QLatin1String("backend.db.corrupt-")),
                 qPrintable(database->recoveredAs()));
        QVERIFY(QFile::exists(m_dir.filePath(database->recoveredAs())));
        const std::optional<QList<CustomSkillDef>> fresh = CustomSkillStore(database->connection()).list();
        QVERIFY(fresh && fresh->isEmpty());
        QVERIFY(CustomSkillStore(database->connection())
                    .create(QStringLiteral("new"), QStringLiteral("⚡"), QStringLiteral("true")));
        database.reset();
        QVERIFY(Database::open(path(), nullptr)->recoveredAs().isEmpty());
    }

    void newestEventsFirst()
    {
        auto database = Database::open(path(), nullptr);
        EventStore events(database->connection());
        for (int i = 0; i < 7; ++i)
            QVERIFY(events.add(QStringLiteral("camera"), QStringLiteral("app%1").arg(i), std::nullopt,
                               1'700'000'000'000 + i * 1000));
        QVERIFY(events.add(QStringLiteral("microphone"), QStringLiteral("late"), QStringLiteral("detail"),
                           1'700'000'100'000));
        const QList<SecurityAlert> newest = events.newest(3).value_or(QList<SecurityAlert>());
        QCOMPARE(newest.size(), 3);
        QCOMPARE(newest[0].app, QStringLiteral("late"));
        QCOMPARE(newest[0].details, std::optional<QString>(QStringLiteral("detail")));
        QCOMPARE(newest[0].timestamp, QStringLiteral("2023-11-14T22:15:00.000Z"));
        QCOMPARE(newest[1].app, QStringLiteral("app6"));
        QCOMPARE(newest[1].details, std::nullopt);
        QCOMPARE(newest[2].path, QString());
    }

    // Counts across hour boundaries: the partial first hour from the index, whole hours from the counters.
    void statsCountWindows()
    {
        auto database = Database::open(path(), nullptr);
        EventStore events(database->connection());
        const qint64 now = 1'700'000'000'000 - 1'700'000'000'000 % hourMs + 25 * 60'000; // hh:25
        const qint64 dayStart = now - 10 * hourMs - 25 * 60'000; // ten hours and 25 minutes ago
        struct Event
        {
            qint64 at;
            const char* type;
            const char* app;
        };
        const Event stored[] = {
            {now - 24 * hourMs - 1, "camera", "Zoom"},               // just outside the last 24 hours
            {now - 24 * hourMs, "camera", "Zoom"},                   // first instant inside
            {now - 24 * hourMs + 10 * 60'000, "microphone", "Zoom"}, // same partial hour
            {now - 23 * hourMs, "location", "Maps"},
            {dayStart - 1, "camera", "Cheese"}, // yesterday
            {dayStart, "camera", "Cheese"},     // today
            {now - 5 * 60'000, "camera", "Cheese"},
        };
        for (const Event& event : stored)
            QVERIFY(events.add(QLatin1String(event.type), QLatin1String(event.app), std::nullopt, event.at));
        const DashboardStats stats = events.stats(now, dayStart);
        QCOMPARE(stats.total, 7);
        QCOMPARE(stats.last24h, 6);
        QCOMPARE(stats.today, 2);
        QCOMPARE(stats.byType.value(QStringLiteral("camera")), 5);
        QCOMPARE(stats.byType.value(QStringLiteral("microphone")), 1);
        QCOMPARE(stats.byApp.value(QStringLiteral("Cheese")), 3);
        const QJsonObject json = stats.toJson();
        QCOMPARE(json.value(QStringLiteral("byApp")).toObject().value(QStringLiteral("Zoom")).toInt(), 3);
        QCOMPARE(json.value(QStringLiteral("last24h")).toInt(), 6);

        const quint64 revision = events.revision();
        QCOMPARE(events.removeOlderThan(now - 24 * hourMs), 1);
        QVERIFY(events.revision() != revision);
        const quint64 pruned1 = events.revision();
        QCOMPARE(events.removeOlderThan(now - 24 * hourMs), 0);
        QCOMPARE(events.revision(), pruned1); // nothing removed, nothing changed
        const DashboardStats pruned = events.stats(now, dayStart);
        QCOMPARE(pruned.total, 6);
        QCOMPARE(pruned.byType.value(QStringLiteral("camera")), 4);
        QCOMPARE(pruned.last24h, 6);
    }

    // Kept answers stay exact: the counters follow the clock across the 24-hour window and midnight.
    void keptAnswersFollowTimeAndChanges()
    {
        auto database = Database::open(path(), nullptr);
        EventStore events(database->connection());
        EventAnswers answers(events);
        const QDateTime now(QDate(2025, 3, 12), QTime(15, 0));
        const qint64 nowMs = now.toMSecsSinceEpoch();
        QVERIFY(events.add(QStringLiteral("camera"), QStringLiteral("A"), std::nullopt, nowMs - 23 * hourMs));
        QVERIFY(events.add(QStringLiteral("camera"), QStringLiteral("B"), std::nullopt, nowMs - hourMs));
        auto counters = [&](const QDateTime& at) {
            return QJsonDocument::fromJson(answers.stats(at).body).object();
        };
        QCOMPARE(counters(now).value(QStringLiteral("last24h")).toInt(), 2);
        QCOMPARE(counters(now).value(QStringLiteral("today")).toInt(), 1);
        QCOMPARE(counters(now.addMSecs(hourMs)).value(QStringLiteral("last24h")).toInt(), 2);
        QCOMPARE(counters(now.addMSecs(hourMs + 1)).value(QStringLiteral("last24h")).toInt(), 1);
        QCOMPARE(counters(QDateTime(QDate(2025, 3, 13), QTime(0, 0))).value(QStringLiteral("today")).toInt(),
                 0);

        QCOMPARE(QJsonDocument::fromJson(answers.alerts().body).array().size(), 2);
        QVERIFY(events.add(QStringLiteral("microphone"), QStringLiteral("C"), std::nullopt, nowMs));
        QCOMPARE(QJsonDocument::fromJson(answers.alerts().body).array().size(), 3);
        QCOMPARE(counters(now).value(QStringLiteral("total")).toInt(), 3);
    }

    void automationsAreOnePerSkill()
    {
        auto database = Database::open(path(), nullptr);
        AutomationStore store(database->connection());
        const auto created = store.enable(QStringLiteral("firewall-status"), QStringLiteral("Firewall"),
                                          QStringLiteral("Every 2h"), 120);
        QVERIFY(created);
        QCOMPARE(created->id, QStringLiteral("auto-firewall-status"));
        QVERIFY(created->enabled);
        QVERIFY(store.disable(QStringLiteral("firewall-status")));
        QVERIFY(!store.disable(QStringLiteral("vpn-checker")));
        QVERIFY(store.recordRun(QStringLiteral("firewall-status"), 1'700'000'000'000, QStringLiteral("ok")));
        QVERIFY(store.enable(QStringLiteral("firewall-status"), QStringLiteral("Firewall"),
                             QStringLiteral("Every 2h"), 120));
        const QList<StoredAutomation> all = store.all();
        QCOMPARE(all.size(), 1);
        QVERIFY(all[0].enabled);
        QCOMPARE(all[0].lastResult, std::optional<QString>(QStringLiteral("ok")));
        const QJsonObject json = all[0].toJson();
        QCOMPARE(json.value(QStringLiteral("schedule")).toString(), QStringLiteral("Every 2h"));
        QCOMPARE(json.value(QStringLiteral("lastRun")).toString(),
                 QStringLiteral("2023-11-14T22:13:20.000Z"));
    }

    void customSkillsKeepOrderAndIds()
    {
        auto database = Database::open(path(), nullptr);
        CustomSkillStore store(database->connection());
        const auto first =
            store.create(QStringLiteral("Uptime"), QStringLiteral("⏱"), QStringLiteral("uptime"));
        const auto second = store.create(QStringLiteral("Who"), QStringLiteral("👤"), QStringLiteral("who"));
        QVERIFY(first && second);
        QVERIFY(CustomSkillStore::looksLikeCustomId(first->id));
        QVERIFY(first->id != second->id);
        QVERIFY(store.update(
            {second->id, QStringLiteral("Who is on"), QStringLiteral("👥"), QStringLiteral("w")}));
        QVERIFY(!store.update({QStringLiteral("custom-missing"), QStringLiteral("x"), QStringLiteral("x"),
                               QStringLiteral("x")}));
        const QList<CustomSkillDef> all = store.all();
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[0].name, QStringLiteral("Uptime"));
        QCOMPARE(all[1].script, QStringLiteral("w"));
        QVERIFY(store.remove(first->id));
        QVERIFY(!store.remove(first->id));
        QCOMPARE(store.all().size(), 1);
    }

    void configValues()
    {
        auto database = Database::open(path(), nullptr);
        ConfigStore config(database->connection());
        QCOMPARE(config.value(ConfigKey::telegramBotToken), std::nullopt);
        QVERIFY(config.setValue(ConfigKey::telegramBotToken, QStringLiteral("1:a")));
        QVERIFY(config.setValue(ConfigKey::telegramBotToken, QStringLiteral("2:b")));
        QCOMPARE(config.value(ConfigKey::telegramBotToken), std::optional<QString>(QStringLiteral("2:b")));
        QVERIFY(config.remove(ConfigKey::telegramBotToken));
        QCOMPARE(config.value(ConfigKey::telegramBotToken), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(BackendStorageTest)
#include "tst_backendstorage.moc"
