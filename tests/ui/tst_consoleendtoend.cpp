#include "app/AppState.h"
#include "app/CommandConsole.h"
#include "app/DashboardModel.h"
#include "platform/Settings.h"
#include "support/HalvexdProcess.h"
#include "support/QuickItems.h"
#include "support/TestEnvironment.h"
#include "ui/DashboardWindow.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QQuickItem>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

// The "Commands" tab of the dashboard against the real halvexd, driven with the pointer and the
// keyboard as a user would: built-in skills, chat, history, and a script of the user's own from the
// editor to its deletion.
class ConsoleEndToEndTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        qputenv("HALVEX_PLATFORM", "linux");
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "not-found\n");
        m_halvexd = std::make_unique<HalvexdProcess>(m_home->path(), m_home->path());
        QVERIFY(m_halvexd->start());
        Settings settings;
        settings.setValue(SettingsKey::serverURL, m_halvexd->baseUrl());
        settings.setHasOnboarded(true);
        settings.setProtectionEnabled(false);
        m_state = std::make_unique<AppState>();
        m_window = std::make_unique<DashboardWindow>(*m_state, [] {});
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        click("tab_control");
        QVERIFY(item("commandControl")->isVisible());
    }

    void cleanup()
    {
        m_window.reset();
        m_state.reset();
        if (m_halvexd)
            QCOMPARE(m_halvexd->stop(), 0);
        m_halvexd.reset();
        m_systemctl.reset();
        qunsetenv("HALVEX_PLATFORM");
        m_home.reset();
    }

    void skillsChatAndHistory()
    {
        QVERIFY(item("welcomePrompt")->isVisible());
        QCOMPARE(text("welcomePrompt"), "halvex@security ~ %");
        QCOMPARE(text("welcomeHint"), "Select a skill above or type a command");
        QCOMPARE(text("commandField"), "");
        QCOMPARE(item("commandField")->property("placeholderText").toString(),
                 "Type a command or ask a question...");
        save("console-empty");

        int lines = 0;
        // Typed lines go to the chat; blank ones go nowhere.
        click("commandField");
        type("   ");
        QTest::keyClick(m_window.get(), Qt::Key_Return);
        QCOMPARE(console()->messageCount(), lines);
        QTest::keyClick(m_window.get(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_window.get(), Qt::Key_Backspace);
        type("  help ");
        QTest::keyClick(m_window.get(), Qt::Key_Return);
        lines += 2;
        QTRY_COMPARE_WITH_TIMEOUT(console()->messageCount(), lines, 15000);
        QCOMPARE(lineText(QStringLiteral("userLine_%1").arg(lines - 2)), "help");
        QVERIFY(!lineText(QStringLiteral("resultLine_%1").arg(lines - 1)).isEmpty());
        QCOMPARE(text("commandField"), "");
        QTRY_VERIFY(!console()->isRunning());
        click("sendButton"); // nothing to send
        QCOMPARE(console()->messageCount(), lines);

        // Each tile runs its skill on halvexd; the input line has the focus back after each answer.
        const struct
        {
            const char* tile;
            const char* answerHas;
        } tiles[] = {{"tile_memory-usage", "Memory:"}, {"tile_open-ports", ""}, {"tile_firewall-status", ""}};
        for (const auto& step : tiles) {
            type("half typed"); // a tile discards it
            click(step.tile);
            QCOMPARE(text("commandField"), "");
            lines += 2;
            QTRY_COMPARE_WITH_TIMEOUT(console()->messageCount(), lines, 15000);
            QTRY_VERIFY(!console()->isRunning());
            const QString answer = lineText(QStringLiteral("resultLine_%1").arg(lines - 1));
            QVERIFY2(!answer.isEmpty() && answer.contains(QLatin1String(step.answerHas)), qPrintable(answer));
            QVERIFY2(!answer.startsWith("Error"), qPrintable(answer));
            QCOMPARE(lineText(QStringLiteral("userLine_%1").arg(lines - 2)),
                     QString::fromLatin1(step.tile).mid(5));
            QTRY_VERIFY(item("commandField")->hasActiveFocus());
        }
        QVERIFY(!item("welcomePrompt")->isVisible());

        QTest::keyClick(m_window.get(), Qt::Key_Up);
        QCOMPARE(text("commandField"), "help");
        QTest::keyClick(m_window.get(), Qt::Key_Down);
        QCOMPARE(text("commandField"), "");
        QCOMPARE(Settings().cmdHistory(), QStringList{"help"});

        click(qPrintable(QStringLiteral("copy_%1").arg(lines - 1)));
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 console()->transcript()->messages().at(lines - 1).content);
        QTest::qWait(300);
        save("console-transcript");

        // A skill that must never be scheduled has no menu.
        rightClick("tile_screenshot");
        QTest::qWait(300);
        QVERIFY(!isShown("autoToggle"));
    }

    void aScriptOfTheUsersOwn()
    {
        click("category_10");
        QCOMPARE(console()->category(), SkillCategory::custom);
        QTRY_COMPARE(console()->tiles()->rowCount(), 1);
        click("newScriptTile");
        QTRY_VERIFY(isShown("editorTitle"));
        QCOMPARE(text("editorTitle"), "New script");
        QCOMPARE(text("iconField"), QString::fromUtf8("⚡"));
        QCOMPARE(text("scriptField"), "#!/bin/bash\n");
        QVERIFY(!item("saveButton")->isEnabled());

        click("nameField");
        type("Uptime");
        QVERIFY(item("saveButton")->isEnabled());
        QCOMPARE(text("editorTitle"), "New script");
        click("iconField");
        QTest::keyClick(m_window.get(), Qt::Key_A, Qt::ControlModifier);
        QTest::sendKeyEvent(QTest::Click, m_window.get(), Qt::Key_unknown, QString::fromUtf8("⏱🔥💧"),
                            Qt::NoModifier);
        click("scriptField");
        QTest::keyClick(m_window.get(), Qt::Key_End, Qt::ControlModifier);
        type("echo \"up $(cut -d. -f1 /proc/uptime) s\"");

        click("testButton");
        QTRY_VERIFY_WITH_TIMEOUT(isShown("testResult") && text("testLabel") == "Test", 15000);
        QVERIFY2(text("testResult").startsWith("up "), qPrintable(text("testResult")));
        QVERIFY(m_state->customSkills().isEmpty()); // a test saves nothing
        QTest::qWait(200);
        save("script-editor");

        click("saveButton");
        QTRY_VERIFY(!isShown("editorTitle"));
        QTRY_COMPARE(m_state->customSkills().size(), 1);
        const CustomSkillDef saved = m_state->customSkills().first();
        QCOMPARE(saved.name, "Uptime");
        QCOMPARE(saved.emoji, QString::fromUtf8("⏱🔥"));
        const QByteArray tile = "tile_" + saved.id.toUtf8();
        QTRY_VERIFY(QuickItems::find(m_window->contentItem(), QString::fromUtf8(tile)));
        QCOMPARE(console()->tiles()->rowCount(), 2);

        click(tile.constData());
        QTRY_COMPARE_WITH_TIMEOUT(console()->messageCount(), 2, 15000);
        QCOMPARE(lineText("userLine_0"), saved.id);
        QVERIFY2(lineText("resultLine_1").startsWith("up "), qPrintable(lineText("resultLine_1")));

        // The automation dot follows the backend's list.
        QVERIFY(!QuickItems::find(item(tile.constData()), "autoDot")->isVisible());
        chooseFromMenu(tile.constData(), "autoToggle", "Enable Auto");
        QTRY_VERIFY(QuickItems::find(item(tile.constData()), "autoDot")->isVisible());
        QTRY_VERIFY(backendAutomates(saved.id));
        save("console-custom");
        chooseFromMenu(tile.constData(), "autoToggle", "Disable Auto");
        QTRY_VERIFY(!QuickItems::find(item(tile.constData()), "autoDot")->isVisible());
        QTRY_VERIFY(!backendAutomates(saved.id));

        // Editing opens the stored script; the title follows the name.
        chooseFromMenu(tile.constData(), "editScript", "Edit script");
        QTRY_VERIFY(isShown("editorTitle"));
        QCOMPARE(text("editorTitle"), "Uptime");
        click("nameField");
        QTest::keyClick(m_window.get(), Qt::Key_End);
        type(" check");
        QCOMPARE(text("editorTitle"), "Uptime check");
        click("saveButton");
        QTRY_VERIFY(!isShown("editorTitle"));
        QTRY_COMPARE(m_state->customSkills().first().name, "Uptime check");

        chooseFromMenu(tile.constData(), "deleteScript", "Delete this script?");
        QTRY_VERIFY(m_state->customSkills().isEmpty());
        QTRY_COMPARE(console()->tiles()->rowCount(), 1);
        QVERIFY(item("newScriptTile")->isVisible());
    }

    // What was sent stays readable in full: a line wider than the transcript wraps.
    void aLongTypedLineWraps()
    {
        click("commandField");
        const QByteArray longLine =
            "what is listening on every port of this machine and which program opened "
            "each of them since the last reboot of the computer please";
        type(longLine.constData());
        QTest::keyClick(m_window.get(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(console()->messageCount(), 2, 15000);
        QCOMPARE(lineText("userLine_0"), QString::fromLatin1(longLine));
        QQuickItem* line = item("userLine_0");
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        QVERIFY(!line->property("truncated").toBool());
        QVERIFY2(line->property("lineCount").toInt() >= 2,
                 qPrintable(QString::number(line->property("lineCount").toInt())));
        QVERIFY(line->height() >= line->implicitHeight());
        QTest::qWait(200);
        save("console-long-line");
    }

    // Escape on the script editor is its Cancel: the sheet closes and nothing is saved.
    void escapeCancelsTheScriptEditor()
    {
        click("category_10");
        QTRY_COMPARE(console()->tiles()->rowCount(), 1);
        click("newScriptTile");
        QTRY_VERIFY(isShown("editorTitle"));
        click("nameField");
        type("Never saved");
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QTRY_VERIFY(!isShown("editorTitle"));
        QTRY_VERIFY(!console()->editor());
        m_state->loadCustomSkills();
        QTest::qWait(300);
        QVERIFY(m_state->customSkills().isEmpty());
        QCOMPARE(console()->tiles()->rowCount(), 1);
    }

private:
    CommandConsole* console() { return m_window->model()->console(); }

    // Whether halvexd's own list holds an enabled automation of the skill now.
    bool backendAutomates(const QString& skillId)
    {
        std::optional<bool> enabled;
        m_state->client().fetchAutomations(this, [&](const QList<Automation>& automations) {
            enabled =
                std::any_of(automations.cbegin(), automations.cend(), [&](const Automation& automation) {
                    return automation.skillId == skillId && automation.enabled;
                });
        });
        return QTest::qWaitFor([&] { return enabled.has_value(); }, 5000) && *enabled;
    }

    QQuickItem* item(const char* name)
    {
        QQuickItem* found = QuickItems::find(m_window->contentItem(), QString::fromUtf8(name));
        if (!found)
            qFatal("no item %s", name);
        return found;
    }

    QString text(const char* name) { return item(name)->property("text").toString(); }

    // A transcript line's delegate is built once the view has scrolled to it.
    QString lineText(const QString& name)
    {
        if (!QTest::qWaitFor([&] { return QuickItems::find(m_window->contentItem(), name) != nullptr; }))
            return QStringLiteral("(no line %1)").arg(name);
        return QuickItems::find(m_window->contentItem(), name)->property("text").toString();
    }

    bool isShown(const char* name)
    {
        const QQuickItem* found = QuickItems::find(m_window->contentItem(), QString::fromUtf8(name));
        return found && found->isVisible();
    }

    QPoint centreOf(const char* name)
    {
        QQuickItem* target = item(name);
        return target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
    }

    // Types ASCII text key by key into the focused item.
    void type(const char* text)
    {
        for (const char* key = text; *key; ++key)
            QTest::keyClick(m_window.get(), *key);
    }

    void click(const char* name)
    {
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        QVERIFY2(item(name)->isVisible(), name);
        QTest::mouseClick(m_window.get(), Qt::LeftButton, {}, centreOf(name));
    }

    void rightClick(const char* name)
    {
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        QTest::mouseClick(m_window.get(), Qt::RightButton, {}, centreOf(name));
    }

    void chooseFromMenu(const char* tile, const char* entry, const char* label)
    {
        rightClick(tile);
        QTRY_VERIFY(isShown(entry));
        QCOMPARE(text(entry), QString::fromUtf8(label));
        QTest::qWait(250); // the menu's opening transition
        click(entry);
        QTRY_VERIFY(!isShown(entry));
    }

    void save(const QString& name)
    {
        const QImage image = m_window->grabWindow();
        QVERIFY(!image.isNull());
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
        QVERIFY(image.save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name + ".png"));
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeTool> m_systemctl;
    std::unique_ptr<HalvexdProcess> m_halvexd;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<DashboardWindow> m_window;
};

QTEST_MAIN(ConsoleEndToEndTest)
#include "tst_consoleendtoend.moc"
