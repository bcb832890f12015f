#include "monitor/PermissionAudit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

struct TccRow
{
    QString service;
    QString client;
    QVariant authValue;
};

// A TCC-shaped SQLite file: table "access" with service, client and auth_value (and the other columns
// the real one has, left empty).
void createTccDatabase(const QString& path, const QList<TccRow>& rows)
{
    QDir().mkpath(QFileInfo(path).path());
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
        database.setDatabaseName(path);
        QVERIFY(database.open());
        QSqlQuery query(database);
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE access (service TEXT NOT NULL, client TEXT NOT NULL, "
                                          "client_type INTEGER, auth_value, last_modified INTEGER)")));
        for (const TccRow& row : rows) {
            query.prepare(QStringLiteral("INSERT INTO access (service, client, client_type, auth_value) "
                                         "VALUES (?, ?, 0, ?)"));
            query.addBindValue(row.service);
            query.addBindValue(row.client);
            query.addBindValue(row.authValue);
            QVERIFY(query.exec());
        }
    }
    QSqlDatabase::removeDatabase(path);
}

QList<AppPermission> audit(PermissionAudit& audit)
{
    QList<AppPermission> result;
    bool done = false;
    audit.readTCCPermissions([&](const QList<AppPermission>& permissions) {
        result = permissions;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("audit did not finish");
    return result;
}

} // namespace

class PermissionAuditTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsBothDatabasesSortedByService()
    {
        QTemporaryDir dir;
        const QString user = dir.path() + QStringLiteral("/user/TCC.db");
        const QString system = dir.path() + QStringLiteral("/system/TCC.db");
        createTccDatabase(user, {{"kTCCServiceCamera", "us.zoom.xos", 2},
                                 {"kTCCServiceMicrophone", "com.google.Chrome", 0},
                                 {"kTCCServiceLocation", "com.apple.Maps", 2},
                                 {"kTCCServiceLiveLocation", "com.apple.Maps", 2},
                                 {"kTCCServiceScreenCapture", "com.obsproject.obs-studio", 2},
                                 {"kTCCServiceCamera", "", 2}});
        createTccDatabase(system, {{"kTCCServiceCamera", "us.zoom.xos", 0},
                                   {"kTCCServiceCamera", "/usr/local/bin/Tool", 2},
                                   {"kTCCServiceMicrophone", "com.apple.Siri", 2}});
        PermissionAudit reader;
        reader.setDatabasePaths({user, dir.path() + QStringLiteral("/missing/TCC.db"), system});
        const QList<AppPermission> expected{
            {"Camera", "us.zoom.xos", "Xos", true},
            {"Camera", "/usr/local/bin/Tool", "/usr/local/bin/tool", true},
            {"Location", "com.apple.Maps", "Maps", true}, // kTCCServiceLiveLocation sorts first in the query
            {"Location", "com.apple.Maps", "Maps", true},
            {"Microphone", "com.google.Chrome", "Chrome", false},
            {"Microphone", "com.apple.Siri", "Siri", true},
        };
        QCOMPARE(audit(reader), expected);
    }

    void sqliteGetsFourArguments()
    {
        QTemporaryDir dir;
        const QString user = dir.path() + QStringLiteral("/TCC.db");
        createTccDatabase(user, {});
        FakeTool sqlite(QStringLiteral("HALVEX_TOOL_SQLITE3"),
                        QStringLiteral("kTCCServiceCamera|com.x.Y|2\n"));
        PermissionAudit reader;
        reader.setDatabasePaths({user});
        QCOMPARE(audit(reader), (QList<AppPermission>{{"Camera", "com.x.Y", "Y", true}}));
        QCOMPARE(sqlite.calls(),
                 (QList<QStringList>{{user, "-separator", "|",
                                      "SELECT service, client, auth_value FROM access WHERE service IN "
                                      "('kTCCServiceCamera','kTCCServiceMicrophone','kTCCServiceLocation',"
                                      "'kTCCServiceLiveLocation') ORDER BY service, client;"}}));
    }

    void authValue_data()
    {
        QTest::addColumn<QString>("auth");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("2") << "2" << true;
        QTest::newRow("+2") << "+2" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("1") << "1" << false;
        QTest::newRow("3") << "3" << false;
        QTest::newRow("-2") << "-2" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("space") << " 2" << false;
        QTest::newRow("decimal") << "2.0" << false;
        QTest::newRow("beyond 64 bits") << "99999999999999999999" << false;
    }

    void authValue()
    {
        QFETCH(QString, auth);
        QFETCH(bool, allowed);
        QSet<QString> seen;
        QList<AppPermission> result;
        PermissionAudit::appendRows(QStringLiteral("kTCCServiceCamera|com.a.B|") + auth, seen, result);
        QCOMPARE(result.size(), 1);
        QCOMPARE(result.first().allowed, allowed);
    }

    void malformedRows()
    {
        QSet<QString> seen;
        QList<AppPermission> result;
        PermissionAudit::appendRows(QStringLiteral("kTCCServiceCamera|only-two\n"
                                                   "\n"
                                                   "kTCCServiceCamera|com.pipe|Name|2\n"
                                                   "kTCCServiceCamera||2\n"
                                                   "kTCCServiceUnknown|com.x.Y|2\n"
                                                   "kTCCServiceMicrophone|com.x.Y|2|extra\n"),
                                    seen, result);
        // The client holding "|" is split: only its first part is the client, and the auth text comes
        // from the wrong field.
        const QList<AppPermission> expected{{"Camera", "com.pipe", "Pipe", false},
                                            {"Microphone", "com.x.Y", "Y", true}};
        QCOMPARE(result, expected);
        // An unknown service is remembered as seen, an empty client is not.
        QVERIFY(seen.contains(QStringLiteral("kTCCServiceUnknown-com.x.Y")));
        QVERIFY(!seen.contains(QStringLiteral("kTCCServiceCamera-")));
    }

    void unreadableDatabaseContributesNothing()
    {
        QTemporaryDir dir;
        const QString broken = dir.path() + QStringLiteral("/broken.db");
        QFile file(broken);
        file.open(QIODevice::WriteOnly);
        file.write("this is not a database");
        file.close();
        const QString system = dir.path() + QStringLiteral("/system.db");
        createTccDatabase(system, {{"kTCCServiceMicrophone", "com.apple.Siri", 2}});
        PermissionAudit reader;
        reader.setDatabasePaths({broken, system});
        QCOMPARE(audit(reader), (QList<AppPermission>{{"Microphone", "com.apple.Siri", "Siri", true}}));
    }

    void missingSqliteGivesAnEmptyList()
    {
        QTemporaryDir dir;
        const QString user = dir.path() + QStringLiteral("/TCC.db");
        createTccDatabase(user, {{"kTCCServiceCamera", "us.zoom.xos", 2}});
        qputenv("HALVEX_TOOL_SQLITE3", (dir.path() + QStringLiteral("/no-sqlite3")).toUtf8());
        PermissionAudit reader;
        reader.setDatabasePaths({user});
        QVERIFY(audit(reader).isEmpty());
        qunsetenv("HALVEX_TOOL_SQLITE3");
    }

    void hungSqliteIsKilledAndTheNextDatabaseRead()
    {
        QTemporaryDir dir;
        const QString locked = dir.path() + QStringLiteral("/locked.db");
        const QString system = dir.path() + QStringLiteral("/system.db");
        createTccDatabase(locked, {{"kTCCServiceCamera", "com.hidden.App", 2}});
        createTccDatabase(system, {{"kTCCServiceCamera", "com.shown.App", 2}});
        FakeTool sqlite(QStringLiteral("HALVEX_TOOL_SQLITE3"));
        sqlite.setScriptBody(
            QStringLiteral("[ \"$1\" = '%1' ] && exec sleep 30\nexec /usr/bin/sqlite3 \"$@\"\n").arg(locked));
        PermissionAudit reader;
        reader.setDatabasePaths({locked, system});
        reader.setTimeLimit(300ms);
        QCOMPARE(audit(reader), (QList<AppPermission>{{"Camera", "com.shown.App", "App", true}}));
    }

    void refreshPublishesTheUsersDatabase()
    {
        TemporaryHome home;
        createTccDatabase(home.path() + QStringLiteral("/Library/Application Support/com.apple.TCC/TCC.db"),
                          {{"kTCCServiceMicrophone", "us.zoom.xos", 2}});
        PermissionAudit reader;
        QCOMPARE(reader.defaultDatabasePaths().first(),
                 home.path() + QStringLiteral("/Library/Application Support/com.apple.TCC/TCC.db"));
        QCOMPARE(reader.defaultDatabasePaths().last(),
                 QStringLiteral("/Library/Application Support/com.apple.TCC/TCC.db"));
        QSignalSpy read(&reader, &PermissionAudit::permissionsRead);
        reader.refresh();
        QVERIFY(read.wait());
        QCOMPARE(read.first().first().value<QList<AppPermission>>(),
                 (QList<AppPermission>{{"Microphone", "us.zoom.xos", "Xos", true}}));
    }

    void anOvertakenAuditIsDropped()
    {
        QTemporaryDir dir;
        const QString database = dir.path() + QStringLiteral("/TCC.db");
        createTccDatabase(database, {});
        // The first run answers late with an old list; the second at once with the new one.
        FakeTool sqlite(QStringLiteral("HALVEX_TOOL_SQLITE3"));
        sqlite.setScriptBody(
            QStringLiteral("if [ ! -f '%1/first' ]; then touch '%1/first'; sleep 0.5;\n"
                           "  echo 'kTCCServiceCamera|com.old.App|2'; touch '%1/done'; exit 0; fi\n"
                           "echo 'kTCCServiceCamera|com.new.App|2'\n")
                .arg(dir.path()));
        PermissionAudit reader;
        reader.setDatabasePaths({database});
        QSignalSpy read(&reader, &PermissionAudit::permissionsRead);
        reader.refresh();
        QTRY_VERIFY(QFile::exists(dir.path() + QStringLiteral("/first")));
        reader.refresh();
        QVERIFY(read.wait());
        QTRY_VERIFY(QFile::exists(dir.path() + QStringLiteral("/done")));
        QTest::qWait(200); // the old run's result arrives and is dropped
        QCOMPARE(read.count(), 1);
        QCOMPARE(read.first().first().value<QList<AppPermission>>().first().bundleID,
                 QStringLiteral("com.new.App"));
    }
};

QTEST_GUILESS_MAIN(PermissionAuditTest)
#include "tst_permissionaudit.moc"
