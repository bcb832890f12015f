#pragma once

#include "model/QuickSkill.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QTime>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <optional>

class AppState;

// The automations part of the dashboard's settings tab: the profile cards and their confirmation,
// the count and chips of the skills that run automatically, the per-skill grid and the sheet of one
// skill. Profiles and single automations are switched through AppState, which reports the outcome.
class AutomationsSection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString activeProfile READ activeProfile NOTIFY profileChanged)
    Q_PROPERTY(bool isApplyingProfile READ isApplyingProfile NOTIFY profileChanged)
    Q_PROPERTY(QString pendingProfile READ pendingProfileText NOTIFY pendingProfileChanged)
    Q_PROPERTY(bool hasPendingProfile READ hasPendingProfile NOTIFY pendingProfileChanged)
    Q_PROPERTY(bool hasActiveTasks READ hasActiveTasks NOTIFY automatedChanged)
    Q_PROPERTY(QString activeTasksText READ activeTasksText NOTIFY automatedChanged)
    Q_PROPERTY(QVariantList activeChips READ activeChips NOTIFY automatedChanged)
    Q_PROPERTY(QVariantList skills READ skills NOTIFY automatedChanged)
    Q_PROPERTY(bool showCustomizeGrid READ showCustomizeGrid NOTIFY showCustomizeGridChanged)
    Q_PROPERTY(bool hasSelectedSkill READ hasSelectedSkill NOTIFY selectedSkillChanged)
    Q_PROPERTY(QVariantMap selectedSkill READ selectedSkill NOTIFY selectedSkillChanged)
public:
    using Clock = std::function<QTime()>; // the local time of day

    explicit AutomationsSection(AppState& state, QObject* parent = nullptr);
    AutomationsSection(AppState& state, Clock clock, QObject* parent = nullptr);

    QString activeProfile() const;
    bool isApplyingProfile() const;
    const std::optional<QString>& pendingProfile() const { return m_pendingProfile; }
    QString pendingProfileText() const { return m_pendingProfile.value_or(QString()); }
    bool hasPendingProfile() const { return m_pendingProfile.has_value(); }

    bool hasActiveTasks() const;
    QString activeTasksText() const;
    // The automatable skills that run automatically, in catalogue order.
    QList<QuickSkill> activeSkills() const;
    QVariantList activeChips() const;
    // Every automatable skill once, each with its "isAutomated" mark.
    QVariantList skills() const;

    bool showCustomizeGrid() const { return m_showCustomizeGrid; }
    const std::optional<QuickSkill>& selectedSkillValue() const { return m_selectedSkill; }
    bool hasSelectedSkill() const { return m_selectedSkill.has_value(); }
    // The open skill sheet: emoji, name, category, categoryColor, isAutomated, badge, scheduleDesc,
    // nextRunText, actionText, toggleText, toggleIcon. Empty when no sheet is open.
    QVariantMap selectedSkill() const;

    // A card was tapped: its profile awaits confirmation.
    Q_INVOKABLE void chooseProfile(const QString& profile);
    // Applies the pending profile, if any, and closes the confirmation at once.
    Q_INVOKABLE void confirmProfile();
    Q_INVOKABLE void cancelProfile();
    Q_INVOKABLE void toggleCustomizeGrid();
    Q_INVOKABLE void selectSkill(const QString& skillId);
    Q_INVOKABLE void closeSkill();
    // The sheet's switch: toggles the open skill's automation and closes the sheet.
    Q_INVOKABLE void toggleSelectedSkill();

Q_SIGNALS:
    void profileChanged();
    void pendingProfileChanged();
    void automatedChanged();
    void showCustomizeGridChanged();
    void selectedSkillChanged();

private:
    bool isAutomated(const QString& skillId) const;

    AppState& m_state;
    Clock m_clock;
    std::optional<QString> m_pendingProfile;
    bool m_showCustomizeGrid = false;
    std::optional<QuickSkill> m_selectedSkill;
};
