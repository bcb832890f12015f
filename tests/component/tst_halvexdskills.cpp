#include "backend/HalvexClient.h"
#include "model/SkillCatalogue.h"
#include "skills/SkillText.h"
#include "support/HalvexdProcess.h"
#include "support/TestEnvironment.h"

#include "platform/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

#include <utime.h>

// Every skill of the catalogue, run by the real halvexd on this machine, gives an answer: text, in
// time, never an error of the client.
class HalvexdSkillsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyCatalogueSkillAnswers()
    {
        TemporaryHome home;
        QTemporaryDir workDir;
        HalvexdProcess halvexd(home.path(), workDir.path());
        QVERIFY(halvexd.start());
        Settings().setValue(SettingsKey::serverURL, halvexd.baseUrl());
        HalvexClient client(HalvexClient::Timeouts{60000, 12000});

        QStringList ids;
        for (const QuickSkill& skill : SkillCatalogue::allSkills()) {
            if (!ids.contains(skill.id))
                ids.append(skill.id);
        }
        // Six at a time, as the threat scan sends them.
        QHash<QString, std::optional<QString>> answers;
        for (qsizetype first = 0; first < ids.size(); first += 6) {
            const QStringList batch = ids.mid(first, 6);
            for (const QString& id : batch)
                client.executeCommand(
                    id, this, [&answers, id](std::optional<QString> reply) { answers.insert(id, reply); });
            QTRY_COMPARE_WITH_TIMEOUT(answers.size(), first + batch.size(), 30000);
        }
        for (const QString& id : std::as_const(ids)) {
            const std::optional<QString> answer = answers.value(id);
            QVERIFY2(answer && !answer->trimmed().isEmpty(), qPrintable(id));
            QVERIFY2(!answer->startsWith(QLatin1String("Error")),
                     qPrintable(id + QLatin1String(": ") + *answer));
        }
        QCOMPARE(halvexd.stop(), 0);
    }

    // The cleanup skills delete old regenerable files of the user and say how much they freed.
    void cleanupFreesOldFilesOnly()
    {
        TemporaryHome home;
        QTemporaryDir workDir;
        const QString oldCache = home.path() + QStringLiteral("/.cache/app/old.bin");
        const QString newCache = home.path() + QStringLiteral("/.cache/app/new.bin");
        for (const QString& path : {oldCache, newCache}) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(2500, 'c'));
        }
        const time_t longAgo = time_t(QDateTime::currentSecsSinceEpoch() - 60 * 86400);
        const utimbuf times{longAgo, longAgo};
        QCOMPARE(::utime(QFile::encodeName(oldCache).constData(), &times), 0);

        HalvexdProcess halvexd(home.path(), workDir.path());
        QVERIFY(halvexd.start());
        Settings().setValue(SettingsKey::serverURL, halvexd.baseUrl());
        HalvexClient client;
        std::optional<QString> answer;
        bool done = false;
        client.executeCommand(QStringLiteral("clean-all"), this, [&](std::optional<QString> reply) {
            answer = reply;
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 15000);
        QVERIFY(answer);
        QVERIFY2(answer->startsWith(QStringLiteral("Cleanup done: 2.5 kB freed")), qPrintable(*answer));
        QVERIFY(!QFile::exists(oldCache));
        QVERIFY(QFile::exists(newCache));
        QCOMPARE(halvexd.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(HalvexdSkillsTest)
#include "tst_halvexdskills.moc"
