#include "model/SecurityAlert.h"
#include "monitor/AlertsFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <csignal>

// `halvex --headless` flooded by its log tool and killed with SIGKILL at random moments, again and again
// in one home: whatever moment the kill lands on, the alerts file is a whole JSON array holding the
// newest alerts of one moment of the stream.
class AlertsKillTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void alertsFileSurvivesKillsMidStream()
    {
        constexpr int rounds = 50;
        constexpr qsizetype cap = 500;
        TemporaryHome home;
        const QString alertsPath = home.dataDirectory() + "/alerts.json";

        // Every line names another application, so none falls to the per-application cooldown; the
        // round number in the name tells the runs apart in the file.
        FakeTool log("HALVEX_TOOL_LOG");
        log.setScriptBody(QStringLiteral("i=0\n"
                                         "while :; do\n"
                                         "  printf 'kTCCServiceCamera attributedBundleIdentifier="
                                         "com.fake.r%sn%d\\n' \"$HALVEX_CRASH_ROUND\" $i || exit 0\n"
                                         "  i=$((i+1))\n"
                                         "done\n"));
        qputenv("HALVEX_TOOL_OSASCRIPT", "/bin/true");

        QList<SecurityAlert> previous; // the file as the last round left it
        qsizetype recordedInTotal = 0;
        int roundsKilledMidStream = 0;
        QRandomGenerator random(20);
        for (int round = 0; round < rounds; ++round) {
            QProcess halvex;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("HALVEX_PLATFORM", "macos");
            environment.insert("HALVEX_CRASH_ROUND", QString::number(round));
            halvex.setProcessEnvironment(environment);
            // Nobody reads its output while it runs: a full pipe must not be what stops it. It goes to a
            // file, whose start says why when the log tool never started.
            const QString output = home.path() + QStringLiteral("/halvex-round.out");
            halvex.setStandardOutputFile(output);
            halvex.setStandardErrorFile(output, QIODevice::Append);
            halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {"--headless"});
            QVERIFY(halvex.waitForStarted());
            QVERIFY2(
                log.waitForCalls(round + 1, 20000),
                qPrintable(QStringLiteral("the log tool was not started in round %1; halvex %2 and said: %3")
                               .arg(round)
                               .arg(halvex.state() == QProcess::NotRunning ? QStringLiteral("had exited")
                                                                           : QStringLiteral("ran"))
                               .arg(startOf(output))));
            // Even rounds count the delay from this round's first stored alert: however slow the
            // machine, half the kills land in the middle of the stream.
            if (round % 2 == 0)
                QTRY_VERIFY_WITH_TIMEOUT(holdsRound(alertsPath, round), 20000);
            QThread::msleep(random.bounded(250));
            ::kill(pid_t(halvex.processId()), SIGKILL);
            QVERIFY(halvex.waitForFinished(10000));
            QCOMPARE(halvex.exitStatus(), QProcess::CrashExit);

            const QList<SecurityAlert> stored = readWholeArray(alertsPath);
            if (QTest::currentTestFailed())
                return;
            const qsizetype fresh = checkRound(stored, previous, round, cap);
            if (QTest::currentTestFailed())
                return;
            recordedInTotal += fresh;
            if (fresh > 0)
                ++roundsKilledMidStream;
            previous = stored;
        }
        // Otherwise the kills all landed before the first access and proved nothing.
        QVERIFY2(roundsKilledMidStream >= rounds / 2, qPrintable(QString::number(roundsKilledMidStream)));
        QVERIFY(recordedInTotal > cap);
    }

private:
    // The first lines a program wrote to `path`.
    static QString startOf(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("(nothing)");
        return QString::fromUtf8(file.read(2000));
    }

    // Whether the newest alert in the file is one of `round`'s. A torn file reads as not yet.
    static bool holdsRound(const QString& path, int round)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QJsonArray alerts = QJsonDocument::fromJson(file.readAll()).array();
        return !alerts.isEmpty() && alerts.first().toObject().value("app").toString().startsWith(
                                        QStringLiteral("R%1n").arg(round));
    }

    // The file must exist once anything was recorded, and parse whole: a torn write is a failure here,
    // where AlertsFile::load would quietly read it as empty.
    static QList<SecurityAlert> readWholeArray(const QString& path)
    {
        QFile file(path);
        if (!file.exists())
            return {};
        [&] { QVERIFY(file.open(QIODevice::ReadOnly)); }();
        const QByteArray bytes = file.readAll();
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
        [&] {
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
            QVERIFY(document.isArray());
        }();
        const std::optional<QList<SecurityAlert>> alerts = SecurityAlerts::fromJson(document.array());
        [&] { QVERIFY(alerts); }();
        return alerts.value_or(QList<SecurityAlert>());
    }

    // The file after a round must be this round's alerts n, n-1, …, 0 (the newest first, none skipped)
    // followed by what the file held before, cut at the cap. Returns how many are this round's.
    static qsizetype checkRound(const QList<SecurityAlert>& stored, const QList<SecurityAlert>& previous,
                                int round, qsizetype cap)
    {
        static const QRegularExpression name(QStringLiteral("^R(\\d+)n(\\d+)$"));
        qsizetype fresh = 0;
        qint64 lastIndex = 0;
        for (; fresh < stored.size(); ++fresh) {
            const QRegularExpressionMatch match = name.match(stored[fresh].app);
            [&] { QVERIFY2(match.hasMatch(), qPrintable(stored[fresh].app)); }();
            if (QTest::currentTestFailed() || match.captured(1).toInt() != round)
                break;
            const qint64 index = match.captured(2).toLongLong();
            [&] {
                QCOMPARE(stored[fresh].type, QStringLiteral("camera"));
                if (fresh > 0)
                    QCOMPARE(index, lastIndex - 1);
            }();
            if (QTest::currentTestFailed())
                return fresh;
            lastIndex = index;
        }
        const QList<SecurityAlert> kept = stored.mid(fresh);
        [&] {
            // Only when this round alone filled the file may its first accesses have been cut off.
            if (fresh > 0 && (stored.size() > fresh || stored.size() < cap))
                QCOMPARE(lastIndex, qint64(0));
            QCOMPARE(stored.size(), std::min(cap, fresh + previous.size()));
            QCOMPARE(kept, previous.first(std::min(previous.size(), cap - fresh)));
        }();
        return fresh;
    }
};

QTEST_GUILESS_MAIN(AlertsKillTest)
#include "tst_alertskill.moc"
