#include "backend/BackendRecords.h"
#include "support/HalvexdProcess.h"
#include "support/RawHttp.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <thread>

// halvexd killed with SIGKILL at random moments while a client keeps creating script skills and their
// automations: it always comes back, its database is intact, and nothing it answered 200 for is lost.
class HalvexdKillTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void acknowledgedCreatesSurviveKills()
    {
        constexpr int rounds = 30;
        TemporaryHome home;
        const QString workDir = home.path() + "/work";
        QDir().mkpath(workDir);
        HalvexdProcess halvexd(home.path(), workDir);

        QHash<QString, QString> acknowledgedSkills; // id → name
        QSet<QString> acknowledgedAutomations;      // automation ids
        int creates = 0;
        QRandomGenerator random(30);
        for (int round = 0; round < rounds; ++round) {
            QVERIFY2(halvexd.start(), qPrintable(halvexd.output()));
            if (round > 0)
                checkEverythingPresent(halvexd.port(), acknowledgedSkills, acknowledgedAutomations);
            if (QTest::currentTestFailed())
                return;

            // The kill comes from another thread, so it lands anywhere in a request, not only between.
            const pid_t pid = pid_t(halvexd.pid());
            const unsigned delayMs = random.bounded(40u, 300u);
            // Odd rounds count the delay from the start, even ones from the first answer: however slow
            // the machine, half the kills land among the requests.
            std::atomic<bool> armed = round % 2 == 1;
            std::thread killer([pid, delayMs, &armed] {
                while (!armed)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                ::kill(pid, SIGKILL);
            });
            for (int i = 0;; ++i) {
                const QString name = QStringLiteral("crash %1.%2").arg(round).arg(i);
                const std::optional<RawHttpResponse> skill =
                    post(halvexd.port(), "/api/custom-skills",
                         QJsonObject{{"name", name}, {"emoji", "🧪"}, {"script", "echo " + name}});
                if (!skill)
                    break;
                ++creates;
                armed = true;
                QCOMPARE(skill->status, 200);
                const std::optional<CustomSkillDef> created =
                    CustomSkillDef::fromJson(QJsonDocument::fromJson(skill->body).object());
                QVERIFY(created);
                acknowledgedSkills.insert(created->id, name);
                const std::optional<RawHttpResponse> automation =
                    post(halvexd.port(), "/api/automations", QJsonObject{{"skillId", created->id}});
                if (!automation)
                    break;
                QCOMPARE(automation->status, 200);
                const QJsonObject body = QJsonDocument::fromJson(automation->body).object();
                acknowledgedAutomations.insert(body.value("automation").toObject().value("id").toString());
            }
            armed = true;
            killer.join();
            halvexd.killHard();
            QCOMPARE(integrityCheck(home.dataDirectory() + "/backend.db"), QStringLiteral("ok"));
        }
        QVERIFY2(halvexd.start(), qPrintable(halvexd.output()));
        checkEverythingPresent(halvexd.port(), acknowledgedSkills, acknowledgedAutomations);
        // Otherwise every kill landed before the first request and proved nothing.
        QVERIFY2(creates >= rounds / 2, qPrintable(QString::number(creates)));
    }

private:
    // Nothing when the connection could not be made or was cut before a whole answer.
    static std::optional<RawHttpResponse> post(quint16 port, const QByteArray& path, const QJsonObject& body)
    {
        RawHttpConnection connection(port);
        if (!connection.isConnected())
            return std::nullopt;
        connection.send(RawHttpConnection::request(
            "POST", path, port, QJsonDocument(body).toJson(QJsonDocument::Compact), "Connection: close\r\n"));
        return connection.readResponse(10000);
    }

    static QJsonDocument get(quint16 port, const QByteArray& path)
    {
        RawHttpConnection connection(port);
        connection.send(RawHttpConnection::request("GET", path, port, {}, "Connection: close\r\n"));
        const std::optional<RawHttpResponse> response = connection.readResponse(10000);
        return response && response->status == 200 ? QJsonDocument::fromJson(response->body)
                                                   : QJsonDocument();
    }

    static void checkEverythingPresent(quint16 port, const QHash<QString, QString>& skills,
                                       const QSet<QString>& automations)
    {
        QHash<QString, QString> stored;
        const QJsonArray skillList = get(port, "/api/custom-skills").array();
        for (const QJsonValue& value : skillList)
            stored.insert(value["id"].toString(), value["name"].toString());
        for (auto it = skills.cbegin(); it != skills.cend(); ++it)
            QCOMPARE(stored.value(it.key()), it.value());

        QSet<QString> storedAutomations;
        const QJsonArray automationList = get(port, "/api/automations").object()["automations"].toArray();
        for (const QJsonValue& value : automationList)
            storedAutomations.insert(value["id"].toString());
        for (const QString& id : automations)
            QVERIFY2(storedAutomations.contains(id), qPrintable(id));
    }

    static QString integrityCheck(const QString& path)
    {
        QString verdict;
        {
            QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
            database.setDatabaseName(path);
            if (database.open()) {
                QSqlQuery query(database);
                if (query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next())
                    verdict = query.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(path);
        return verdict;
    }
};

QTEST_GUILESS_MAIN(HalvexdKillTest)
#include "tst_halvexdkill.moc"
