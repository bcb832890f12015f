#pragma once

#include "storage/AutomationStore.h"

#include <QObject>

class CustomSkillStore;

// Creates, enables and disables the one automation of a skill, with the schedule of the run-interval
// table; skills that must never be scheduled are refused.
class AutomationService : public QObject
{
    Q_OBJECT
public:
    struct EnableResult
    {
        std::optional<StoredAutomation> automation;
        int errorStatus = 0; // 400 or 500 when refused
        QString error;
    };

    AutomationService(AutomationStore& store, CustomSkillStore& customSkills, QObject* parent = nullptr);

    std::optional<QList<StoredAutomation>> all() const { return m_store.list(); }
    EnableResult enable(const QString& skillId);
    // True when the skill is not automated afterwards (also when it never was).
    bool disable(const QString& skillId);
    // A script skill was renamed: its automation takes the new name.
    void refreshName(const QString& skillId);
    // A script skill was deleted: its automation goes with it.
    void forget(const QString& skillId);

    // The name an automation of this skill shows; nothing for an unknown id.
    std::optional<QString> skillName(const QString& skillId) const;

Q_SIGNALS:
    // The set of enabled automations or their schedules changed.
    void changed();

private:
    AutomationStore& m_store;
    CustomSkillStore& m_customSkills;
};
