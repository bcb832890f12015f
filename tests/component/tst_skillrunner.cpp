#include "skills/SkillRunner.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTest>

#include <atomic>

#include <signal.h>

namespace {

struct Captured
{
    bool done = false;
    SkillRunner::Answer answer;
    SkillRunner::Done callback()
    {
        return [this](const SkillRunner::Answer& value) {
            answer = value;
            done = true;
        };
    }
};

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool processAlive(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0 &&
           !readAll(QStringLiteral("/proc/%1/stat").arg(pid)).contains(QLatin1String(") Z "));
}

} // namespace

// Built-in skills and scripts as real child processes: argument lists, the time limit, the output cap.
class SkillRunnerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runsCallsThenFollowUpThenAnswer()
    {
        FakeTool first(QStringLiteral("HALVEX_TOOL_FIRSTTOOL"), QStringLiteral("10.0.0.1\n"));
        FakeTool second(QStringLiteral("HALVEX_TOOL_SECONDTOOL"), QStringLiteral("via wg0\n"));
        Skill skill{QStringLiteral("test-skill"),
                    {{QStringLiteral("servers"),
                      {QStringLiteral("firsttool"), {QStringLiteral("dns"), QStringLiteral("a b")}}},
                     {QStringLiteral("missing"), {QStringLiteral("no-such-tool-anywhere"), {}}}},
                    [](const SkillInput& input) {
                        return QStringLiteral("%1|%2|%3")
                            .arg(input.output(QStringLiteral("servers")).out.trimmed(),
                                 input.output(QStringLiteral("route")).out.trimmed(),
                                 input.output(QStringLiteral("missing")).available ? QStringLiteral("yes")
                                                                                   : QStringLiteral("no"));
                    },
                    [](const SkillInput& input) {
                        return ToolCalls{{QStringLiteral("route"),
                                          {QStringLiteral("secondtool"),
                                           {QStringLiteral("get"),
                                            input.output(QStringLiteral("servers")).out.trimmed()}}}};
                    }};
        SkillRunner runner({});
        Captured captured;
        runner.run(skill, captured.callback());
        QTRY_VERIFY(captured.done);
        QCOMPARE(captured.answer.text, QStringLiteral("10.0.0.1|via wg0|no"));
        QCOMPARE(first.calls(), (QList<QStringList>{{QStringLiteral("dns"), QStringLiteral("a b")}}));
        QCOMPARE(second.calls(), (QList<QStringList>{{QStringLiteral("get"), QStringLiteral("10.0.0.1")}}));
    }

    void toolsRunUnderLimitsInTheCLocale()
    {
        FakeTool slow(QStringLiteral("HALVEX_TOOL_SLOWTOOL"));
        slow.setScriptBody(
            QStringLiteral("echo \"$LC_ALL\"; head -c 5000 /dev/zero | tr '\\0' x; sleep 30\n"));
        Skill skill{QStringLiteral("slow"),
                    {{QStringLiteral("slow"), {QStringLiteral("slowtool"), {}}}},
                    [](const SkillInput& input) {
                        const ToolOutput out = input.output(QStringLiteral("slow"));
                        return QStringLiteral("%1 %2 %3 %4")
                            .arg(out.out.section(QLatin1Char('\n'), 0, 0))
                            .arg(out.timedOut)
                            .arg(out.truncated)
                            .arg(out.out.size());
                    },
                    {}};
        SkillRunner runner({300, 1000});
        Captured captured;
        runner.run(skill, captured.callback());
        QTRY_VERIFY_WITH_TIMEOUT(captured.done, 5000);
        QCOMPARE(captured.answer.text, QStringLiteral("C 1 1 1000"));
    }

    // An analysis that blocks (as a read of a stuck process's /proc files can) is answered "timed out"
    // at the runner's deadline; its late result is dropped.
    void blockedAnalysisTimesOut()
    {
        auto release = std::make_shared<QSemaphore>();
        auto returned = std::make_shared<std::atomic<bool>>(false);
        const Skill skill{QStringLiteral("stuck"),
                          {},
                          [release, returned](const SkillInput&) {
                              release->acquire();
                              *returned = true;
                              return QStringLiteral("late");
                          },
                          {}};
        SkillRunner::Limits limits;
        limits.skillDeadlineMs = 300;
        SkillRunner runner(limits);
        int answers = 0;
        SkillRunner::Answer answer;
        runner.run(skill, [&](const SkillRunner::Answer& value) {
            ++answers;
            answer = value;
        });
        QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 5000);
        QVERIFY(!answer.success);
        QCOMPARE(answer.text, QStringLiteral("⏱ stuck timed out after 0.3 s"));
        release->release();
        QTRY_VERIFY(returned->load());
        QTest::qWait(100); // the late result's way back through the event loop

        QCOMPARE(answers, 1);
    }

    void scriptReportsOutputAndStatus_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("text");
        QTest::newRow("output") << QStringLiteral("#!/bin/bash\necho hello\n") << true
                                << QStringLiteral("hello");
        QTest::newRow("errors and status") << QStringLiteral("echo out; echo oops >&2; exit 3") << false
                                           << QStringLiteral("out\noops\n(exit status 3)");
        QTest::newRow("silent") << QStringLiteral("true") << true << QStringLiteral("(no output)");
        QTest::newRow("bash features")
            << QStringLiteral("a=(x y z); echo ${#a[@]}") << true << QStringLiteral("3");
        QTest::newRow("runs in home") << QStringLiteral("pwd") << true << QStringLiteral("HOME");
    }

    void scriptReportsOutputAndStatus()
    {
        QFETCH(QString, script);
        QFETCH(bool, success);
        QFETCH(QString, text);
        TemporaryHome home;
        SkillRunner runner({});
        Captured captured;
        runner.runScript(script, captured.callback());
        QTRY_VERIFY(captured.done);
        QCOMPARE(captured.answer.success, success);
        QCOMPARE(captured.answer.text, QString(text).replace(QStringLiteral("HOME"), QDir::homePath()));
        QVERIFY(QDir::temp().entryList({QStringLiteral("halvexd-script-*")}).isEmpty());
    }

    // A script that starts a background process cannot keep it beyond the time limit.
    void timeLimitEndsTheScriptsProcessGroup()
    {
        QTemporaryDir dir;
        const QString pidFile = dir.filePath(QStringLiteral("child.pid"));
        SkillRunner runner({400, 64 * 1024});
        Captured captured;
        runner.runScript(QStringLiteral("sleep 60 & echo $! > '%1'; wait").arg(pidFile), captured.callback());
        QTRY_VERIFY_WITH_TIMEOUT(captured.done, 5000);
        QVERIFY(!captured.answer.success);
        QVERIFY2(captured.answer.text.endsWith(QStringLiteral("⏱ Stopped after 0.4 s")),
                 qPrintable(captured.answer.text));
        const qint64 child = readAll(pidFile).trimmed().toLongLong();
        QVERIFY(child > 0);
        QTRY_VERIFY(!processAlive(child));
    }

    // Nothing a script started survives its end: a background child, one that left the process group
    // with setsid, and a producer at the output cap, which is ended there rather than at the time limit.
    void nothingOutlivesTheScript_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text");
        QTest::newRow("normal end") << QStringLiteral("sleep 999 & echo $! > '%1'; "
                                                      "setsid bash -c 'echo $$ > \"%2\"; exec sleep 998' & "
                                                      "while [ ! -s '%2' ]; do sleep 0.01; done; echo done")
                                    << QStringLiteral("done");
        QTest::newRow("output cap") << QStringLiteral("sleep 999 & echo $! > '%1'; "
                                                      "setsid bash -c 'echo $$ > \"%2\"; exec sleep 998' & "
                                                      "while [ ! -s '%2' ]; do sleep 0.01; done; yes")
                                    << QStringLiteral("… output cut at 2 KB; the script was ended there");
    }

    void nothingOutlivesTheScript()
    {
        QFETCH(QString, script);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString background = dir.filePath(QStringLiteral("background.pid"));
        const QString escaped = dir.filePath(QStringLiteral("escaped.pid"));
        SkillRunner runner({30'000, 2048});
        Captured captured;
        runner.runScript(script.arg(background, escaped), captured.callback());
        QTRY_VERIFY_WITH_TIMEOUT(captured.done, 10'000); // well before the 30 s limit
        QVERIFY2(captured.answer.text.endsWith(text), qPrintable(captured.answer.text.right(200)));
        QVERIFY(!captured.answer.text.contains(QLatin1String("Stopped after")));
        const qint64 first = readAll(background).trimmed().toLongLong();
        const qint64 second = readAll(escaped).trimmed().toLongLong();
        QVERIFY(first > 0 && second > 0);
        QTRY_VERIFY(!processAlive(first));
        QTRY_VERIFY(!processAlive(second));
    }

    void outputIsCapped()
    {
        SkillRunner runner({10'000, 2048});
        Captured captured;
        runner.runScript(QStringLiteral("head -c 100000 /dev/zero | tr '\\0' y"), captured.callback());
        QTRY_VERIFY(captured.done);
        QVERIFY(captured.answer.text.startsWith(QString(2048, QLatin1Char('y'))));
        QVERIFY(captured.answer.text.contains(QLatin1String("output cut at 2 KB")));
    }
};

QTEST_GUILESS_MAIN(SkillRunnerTest)
#include "tst_skillrunner.moc"
