#include "model/MonitoringProfiles.h"
#include "model/SkillCatalogue.h"

#include <QColor>
#include <QSet>
#include <QTest>

namespace {

QStringList idsOf(const QList<QuickSkill>& skills)
{
    QStringList ids;
    for (const QuickSkill& skill : skills)
        ids.append(skill.id);
    return ids;
}

QSet<QString> setOf(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end());
}

QStringList profile(const char* key)
{
    return profileSkills(QString::fromLatin1(key)).value_or(QStringList{});
}

} // namespace

class SkillsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void categories_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("accent");
        QTest::addColumn<int>("skillCount");
        QTest::addColumn<int>("position"); // in declaration order
        QTest::newRow("quick") << "Quick Menu"
                               << "bolt.fill" << QColor::fromRgbF(0.25f, 0.6f, 1.0f) << 12 << 0;
        QTest::newRow("security") << "Security"
                                  << "lock.shield.fill" << QColor::fromRgbF(0.2f, 0.85f, 0.55f) << 8 << 1;
        QTest::newRow("cleanup") << "Cleanup"
                                 << "sparkles" << QColor::fromRgbF(1.0f, 0.6f, 0.2f) << 4 << 2;
        QTest::newRow("system") << "System"
                                << "cpu" << QColor::fromRgbF(0.7f, 0.4f, 1.0f) << 7 << 3;
        QTest::newRow("monitor") << "Monitor"
                                 << "eye.fill" << QColor::fromRgbF(0.2f, 0.8f, 1.0f) << 4 << 4;
        QTest::newRow("threat") << "Threat"
                                << "exclamationmark.triangle.fill" << QColor::fromRgbF(1.0f, 0.3f, 0.3f) << 5
                                << 5;
        QTest::newRow("audit") << "Audit"
                               << "doc.badge.gearshape.fill" << QColor::fromRgbF(0.4f, 0.65f, 1.0f) << 9 << 6;
        QTest::newRow("apps") << "Apps"
                              << "square.grid.2x2.fill" << QColor::fromRgbF(1.0f, 0.4f, 0.75f) << 2 << 7;
        QTest::newRow("screen") << "Screen"
                                << "display" << QColor::fromRgbF(0.2f, 0.85f, 0.75f) << 5 << 8;
        QTest::newRow("logs") << "Logs"
                              << "terminal.fill" << QColor::fromRgbF(0.95f, 0.75f, 0.25f) << 8 << 9;
        QTest::newRow("custom") << "Custom"
                                << "scroll.fill" << QColor::fromRgbF(0.8f, 0.55f, 1.0f) << 0 << 10;
    }

    // Rows are in declaration order: the n-th row is the n-th case.
    void categories()
    {
        QFETCH(QString, label);
        QFETCH(QString, icon);
        QFETCH(QColor, accent);
        QFETCH(int, skillCount);
        QFETCH(int, position);
        QCOMPARE(SkillCategory::allCases().size(), size_t(11));
        const SkillCategory category = SkillCategory::allCases()[size_t(position)];
        QCOMPARE(category.rawValue(), label);
        QCOMPARE(category.id(), label);
        QCOMPARE(category.sfIcon(), icon);
        const RgbaColor shade = category.accent();
        QCOMPARE(QColor::fromRgbF(shade.red, shade.green, shade.blue, shade.alpha), accent);
        QCOMPARE(shade.alpha, 1.0f);
        QCOMPARE(SkillCategory::fromRawValue(label), std::optional<SkillCategory>(category));
        const QList<QuickSkill> skills = category.skills();
        QCOMPARE(skills.size(), skillCount);
        for (const QuickSkill& skill : skills)
            QCOMPARE(skill.category, category);
    }

    void labelsMatchExactly_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("lower case") << "quick menu";
        QTest::newRow("case name") << "quick";
        QTest::newRow("padded") << " Security";
        QTest::newRow("empty") << "";
    }

    void labelsMatchExactly()
    {
        QFETCH(QString, label);
        QCOMPARE(SkillCategory::fromRawValue(label), std::nullopt);
    }

    void catalogueOrderAndRepeats()
    {
        const QList<QuickSkill> all = SkillCatalogue::allSkills();
        QCOMPARE(all.size(), 64);
        QList<QuickSkill> concatenated;
        for (SkillCategory category : SkillCategory::allCases())
            concatenated += category.skills();
        QCOMPARE(concatenated, all);
        QCOMPARE(all.first(), (QuickSkill{"camera-status", "📹", "Camera", SkillCategory::quick}));
        QCOMPARE(all.last(), (QuickSkill{"routing-table", "🗺️", "Routes", SkillCategory::logs}));

        const QList<QuickSkill> quick = SkillCategory(SkillCategory::quick).skills();
        const QList<QuickSkill> screen = SkillCategory(SkillCategory::screen).skills();
        QCOMPARE(quick[6],
                 (QuickSkill{"screen-sharing-status", "🖥️", "Screen Share", SkillCategory::quick}));
        QCOMPARE(screen[0], (QuickSkill{"screen-sharing-status", "📊", "Status", SkillCategory::screen}));
        QVERIFY(idsOf(quick).contains("screenshot") && idsOf(screen).contains("screenshot"));
        QCOMPARE(SkillCategory(SkillCategory::security).skills()[2].name, QStringLiteral("Open Ports"));
    }

    void neverAutomatable()
    {
        const auto ids = SkillCatalogue::nonAutomatableSkills();
        QCOMPARE(ids.size(), size_t(10));
        const QStringList catalogueIds = idsOf(SkillCatalogue::allSkills());
        QStringList offCatalogue;
        for (QStringView id : ids) {
            QVERIFY(!SkillCatalogue::isAutomatable(id));
            if (!catalogueIds.contains(id))
                offCatalogue.append(id.toString());
        }
        QCOMPARE(offCatalogue,
                 (QStringList{"block", "setup-sudoers", "setup-native", "blockable-apps", "block-status"}));
        QVERIFY(!SkillCatalogue::isAutomatable(u"screenshot"));
        QVERIFY(SkillCatalogue::isAutomatable(u"camera-status"));
        QVERIFY(SkillCatalogue::isAutomatable(u"not-a-skill"));
    }

    void allAutomatableSkills()
    {
        const QList<QuickSkill> skills = SkillCatalogue::allAutomatableSkills();
        QCOMPARE(skills.size(), 46);
        QCOMPARE(idsOf(skills.mid(0, 8)),
                 (QStringList{"camera-status", "microphone-status", "location-status", "firewall-status",
                              "vpn-checker", "wifi-scanner", "screen-sharing-status", "clean-ram"}));
        const QStringList ids = idsOf(skills);
        QCOMPARE(setOf(ids).size(), ids.size());
        for (const QuickSkill& skill : skills)
            QVERIFY2(SkillCatalogue::isAutomatable(skill.id), qPrintable(skill.id));
        for (const QuickSkill& skill : SkillCatalogue::allSkills())
            QCOMPARE(ids.contains(skill.id), SkillCatalogue::isAutomatable(skill.id));
        const QuickSkill memory = skills[ids.indexOf("memory-usage")];
        QCOMPARE(memory.name, QStringLiteral("Memory"));
        QCOMPARE(memory.category, SkillCategory(SkillCategory::quick));
    }

    void profileKeysAndLookup()
    {
        QStringList keys;
        for (QStringView key : MonitoringProfiles::keys())
            keys.append(key.toString());
        QCOMPARE(keys, (QStringList{"essentiel", "business", "paranoid"}));
        QCOMPARE(profileSkills(u"essential"), std::nullopt);
        QCOMPARE(profileSkills(u"Essentiel"), std::nullopt);
        QCOMPARE(profile("essentiel"), (QStringList{"camera-status", "microphone-status", "clean-ram",
                                                    "memory-usage", "firewall-status"}));
    }

    // Each profile is the previous one followed by its own skills, none repeated.
    void profileArithmetic()
    {
        const QStringList essential = profile("essentiel"), business = profile("business"),
                          paranoid = profile("paranoid");
        QCOMPARE(essential.size(), 5);
        QCOMPARE(business.size(), 12);
        QCOMPARE(paranoid.size(), 36);
        QCOMPARE(business.mid(0, 5), essential);
        QCOMPARE(paranoid.mid(0, 12), business);
        QCOMPARE(setOf(paranoid).size(), 36);
        QCOMPARE((setOf(business) - setOf(essential)).size(), 7);
        QCOMPARE((setOf(paranoid) - setOf(business)).size(), 24);
        QCOMPARE((setOf(paranoid) - setOf(essential)).size(), 31);
        QCOMPARE(business.mid(5),
                 (QStringList{"location-status", "network-connections", "vpn-checker", "wifi-scanner",
                              "clean-disk", "update-checker", "permission-audit"}));
        QCOMPARE(paranoid.at(12), QStringLiteral("clipboard-monitor"));
        QCOMPARE(paranoid.last(), QStringLiteral("ssd-health"));
    }

    void everyProfileSkillIsInTheCatalogueAndAutomatable()
    {
        const QStringList automatable = idsOf(SkillCatalogue::allAutomatableSkills());
        for (QStringView key : MonitoringProfiles::keys()) {
            const QStringList ids = profileSkills(key).value();
            for (const QString& id : ids)
                QVERIFY2(automatable.contains(id), qPrintable(id));
        }
    }

    void profileInfo_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("summary"); // empty: none
        QTest::addColumn<int>("taskCount");   // 0: none
        QTest::addColumn<int>("featureCount");
        QTest::addColumn<QString>("firstFeature");
        QTest::newRow("essentiel") << "essentiel"
                                   << "Essential"
                                   << "shield.fill"
                                   << "Camera, mic, RAM" << 5 << 5 << "📹 Camera — checks every 30 min";
        QTest::newRow("business") << "business"
                                  << "Business"
                                  << "briefcase.fill"
                                  << "+ Network, VPN, WiFi" << 12 << 6
                                  << "🛡️ Everything in Essential, plus:";
        QTest::newRow("paranoid") << "paranoid"
                                  << "Paranoid"
                                  << "lock.shield.fill"
                                  << "+ Threats, full audit" << 36 << 6 << "💼 Everything in Business, plus:";
        QTest::newRow("unknown") << "custom-x"
                                 << "custom-x"
                                 << "shield.fill"
                                 << "" << 0 << 0 << "";
    }

    void profileInfo()
    {
        QFETCH(QString, key);
        QFETCH(QString, title);
        QFETCH(QString, icon);
        QFETCH(QString, summary);
        QFETCH(int, taskCount);
        QFETCH(int, featureCount);
        QFETCH(QString, firstFeature);
        const ProfileInfo info = MonitoringProfiles::info(key);
        QCOMPARE(info.title, title);
        QCOMPARE(info.icon, icon);
        QCOMPARE(info.cardSummary, summary.isEmpty() ? std::nullopt : std::optional<QString>(summary));
        QCOMPARE(info.cardTaskCount, taskCount == 0 ? std::nullopt : std::optional<int>(taskCount));
        QCOMPARE(info.features.size(), featureCount);
        if (featureCount > 0)
            QCOMPARE(info.features[0].emoji + u' ' + info.features[0].text, firstFeature);
    }

    // The card promises what activating the profile then shows as active tasks.
    void cardCountsWhatTheProfileAutomates()
    {
        for (QStringView key : MonitoringProfiles::keys())
            QCOMPARE(MonitoringProfiles::info(key).cardTaskCount, int(profileSkills(key)->size()));
    }

    void paranoidFeatureRows()
    {
        const QList<ProfileFeature> features = MonitoringProfiles::info(u"paranoid").features;
        QCOMPARE(features.last(),
                 (ProfileFeature{"💿", "System health — disk, battery, CPU, GPU, SSD — every 4h"}));
        QCOMPARE(features[1], (ProfileFeature{"⌨️", "Anti-keylogger & rootkit — every hour"}));
    }
};

QTEST_GUILESS_MAIN(SkillsTest)
#include "tst_skills.moc"
