#include "app/AppState.h"
#include "app/AutomationsSection.h"
#include "model/SkillCatalogue.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"

#include <QSignalSpy>
#include <QTest>

namespace {

AppState::Options fastOptions()
{
    AppState::Options options;
    options.clientTimeouts = {2000, 2000};
    options.backendDelays = {10, 10};
    return options;
}

QStringList idsOf(const QVariantList& entries, bool automatedOnly = false)
{
    QStringList ids;
    for (const QVariant& entry : entries) {
        const QVariantMap map = entry.toMap();
        if (!automatedOnly || map["isAutomated"].toBool())
            ids << map["id"].toString();
    }
    return ids;
}

} // namespace

// The automations section against a real AppState and the fake backend: profile marks and their
// confirmation, the active count and chips, the grid of automatable skills and one skill's sheet.
class AutomationsSectionTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_rig = std::make_unique<FakeBackendHome>(); }
    void cleanup() { m_rig.reset(); }

    void noAutomationNoActiveBlock()
    {
        AppState state(fastOptions());
        AutomationsSection section(state);
        QTRY_VERIFY(state.isConnected());
        QVERIFY(!section.hasActiveTasks());
        QVERIFY(section.activeChips().isEmpty());
        QVERIFY(section.activeProfile().isEmpty());
        QVERIFY(idsOf(section.skills(), true).isEmpty());
    }

    void gridHoldsAutomatableSkillsOnceWithTheirMarks()
    {
        // "block" can never be scheduled; "camera-status" is listed under two categories.
        m_rig->backend.automations["camera-status"] = true;
        m_rig->backend.automations["clean-ram"] = true;
        m_rig->backend.automations["block"] = true;
        AppState state(fastOptions());
        AutomationsSection section(state);
        QTRY_COMPARE(state.automatedSkillIds().size(), 3);

        const QStringList grid = idsOf(section.skills());
        QCOMPARE(grid.size(), SkillCatalogue::allAutomatableSkills().size());
        QCOMPARE(QSet<QString>(grid.begin(), grid.end()).size(), grid.size());
        for (QStringView never : SkillCatalogue::nonAutomatableSkills())
            QVERIFY2(!grid.contains(never.toString()), qPrintable(never.toString()));

        QCOMPARE(idsOf(section.skills(), true), (QStringList{"camera-status", "clean-ram"}));
        QCOMPARE(idsOf(section.activeChips()), (QStringList{"camera-status", "clean-ram"}));
        // The headline counts every automated id, as the backend reports them.
        QVERIFY(section.hasActiveTasks());
        QCOMPARE(section.activeTasksText(), "3 ACTIVE TASKS");
    }

    void profileIsConfirmedBeforeItIsApplied()
    {
        AppState state(fastOptions());
        AutomationsSection section(state);
        QTRY_VERIFY(state.isConnected());
        QSignalSpy pending(&section, &AutomationsSection::pendingProfileChanged);

        section.chooseProfile("business");
        QCOMPARE(section.pendingProfile(), "business");
        section.cancelProfile();
        QVERIFY(!section.hasPendingProfile());
        QVERIFY(!state.isApplyingProfile());
        QCOMPARE(pending.size(), 2);

        section.chooseProfile("essentiel");
        section.confirmProfile();
        // Closed at once, while the profile is still being applied.
        QVERIFY(!section.hasPendingProfile());
        QVERIFY(section.isApplyingProfile());
        QTRY_VERIFY(!section.isApplyingProfile());
        QTRY_COMPARE(section.activeProfile(), "essentiel");
        QCOMPARE(Settings().automationProfile(), "essentiel");
        QTRY_COMPARE(section.activeTasksText(), "5 ACTIVE TASKS");
        QCOMPARE(m_rig->backend.automationCalls().size(), 5);

        section.confirmProfile(); // nothing pending: nothing applied
        QTest::qWait(50);
        QVERIFY(!state.isApplyingProfile());
    }

    void skillSheetShowsScheduleAndToggles()
    {
        m_rig->backend.automations["rootkit-scanner"] = true;
        AppState state(fastOptions());
        AutomationsSection section(state, [] { return QTime(10, 15); });
        QTRY_COMPARE(state.automatedSkillIds().size(), 1);

        section.selectSkill("block"); // never automatable: no sheet
        QVERIFY(!section.hasSelectedSkill());

        section.selectSkill("rootkit-scanner");
        QVariantMap sheet = section.selectedSkill();
        QCOMPARE(sheet["name"].toString(), "Rootkit");
        QCOMPARE(sheet["category"].toString(), SkillCategory(SkillCategory::threat).rawValue());
        QCOMPARE(sheet["badge"].toString(), "AUTO");
        QCOMPARE(sheet["scheduleDesc"].toString(), "Every 1h");
        QCOMPARE(sheet["nextRunText"].toString(), "In 45 min");
        QCOMPARE(sheet["toggleText"].toString(), "Disable Auto");
        QCOMPARE(sheet["actionText"].toString(),
                 QString::fromUtf8("Runs « Rootkit » automatically and sends the result to Telegram."));

        section.toggleSelectedSkill();
        QVERIFY(!section.hasSelectedSkill()); // the sheet closes with the toggle
        QTRY_VERIFY(state.automatedSkillIds().isEmpty());
        QTRY_COMPARE(m_rig->backend.automationCalls(), QStringList{"-rootkit-scanner"});

        section.selectSkill("ssd-health");
        sheet = section.selectedSkill();
        QCOMPARE(sheet["badge"].toString(), "OFF");
        QCOMPARE(sheet["scheduleDesc"].toString(), "Every 4h");
        QCOMPARE(sheet["nextRunText"].toString(), "In 1h 45min");
        QCOMPARE(sheet["toggleText"].toString(), "Enable Auto");
        section.toggleSelectedSkill();
        QTRY_COMPARE(state.automatedSkillIds(), QSet<QString>{"ssd-health"});
        QTRY_COMPARE(m_rig->backend.automationCalls().size(), 2);
        QCOMPARE(m_rig->backend.automationCalls().last(), "+ssd-health");
    }

    void customizeGridFolds()
    {
        AppState state(fastOptions());
        AutomationsSection section(state);
        QVERIFY(!section.showCustomizeGrid());
        section.toggleCustomizeGrid();
        QVERIFY(section.showCustomizeGrid());
        section.toggleCustomizeGrid();
        QVERIFY(!section.showCustomizeGrid());
    }

private:
    std::unique_ptr<FakeBackendHome> m_rig;
};

QTEST_MAIN(AutomationsSectionTest)
#include "tst_automationssection.moc"
