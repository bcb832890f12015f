#pragma once

#include "backend/BackendRecords.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

class AppState;

// The script editor sheet: name, icon and shell script of one script skill, a trial run on the
// backend and the save. Lives as long as the sheet; replies that come after it is gone are dropped.
class ScriptEditor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isNew READ isNew CONSTANT)
    Q_PROPERTY(QString title READ title NOTIFY nameChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString emoji READ emoji WRITE setEmoji NOTIFY emojiChanged)
    Q_PROPERTY(QString script READ script WRITE setScript NOTIFY scriptChanged)
    Q_PROPERTY(bool isSaving READ isSaving NOTIFY isSavingChanged)
    Q_PROPERTY(bool isTesting READ isTesting NOTIFY isTestingChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY canSaveChanged)
    Q_PROPERTY(bool hasTestResult READ hasTestResult NOTIFY testResultChanged)
    Q_PROPERTY(QString testResult READ testResultText NOTIFY testResultChanged)
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)
public:
    static constexpr char defaultEmoji[] = "⚡";
    static constexpr char defaultScript[] = "#!/bin/bash\n";
    static constexpr char noResponse[] = "No response from backend";
    static constexpr char notSaved[] = "The script was not saved: the backend did not store it.";

    // `existing` is the script skill being edited; none for a new one.
    ScriptEditor(AppState& state, std::optional<CustomSkillDef> existing, QObject* parent = nullptr);

    bool isNew() const { return !m_existing; }
    const std::optional<CustomSkillDef>& existing() const { return m_existing; }
    QString title() const;
    QString name() const { return m_name; }
    void setName(const QString& name);
    QString emoji() const { return m_emoji; }
    void setEmoji(const QString& emoji);
    QString script() const { return m_script; }
    void setScript(const QString& script);
    bool isSaving() const { return m_isSaving; }
    bool isTesting() const { return m_isTesting; }
    bool canSave() const;
    bool hasTestResult() const { return m_testResult.has_value(); }
    const std::optional<QString>& testResult() const { return m_testResult; }
    QString testResultText() const { return m_testResult.value_or(QString()); }
    QString saveError() const { return m_saveError; }

    // The icon a save sends: the first two user-perceived characters, or "⚡" for an empty field.
    static QString iconToSave(const QString& emoji);

    // Runs the script as it stands on the backend; nothing for a blank script or while a run is under way.
    Q_INVOKABLE void test();
    // Creates or updates the script skill, has the list reloaded and closes; a save the backend did
    // not take keeps the sheet open with everything typed.
    Q_INVOKABLE void save();
    Q_INVOKABLE void cancel();

Q_SIGNALS:
    void nameChanged();
    void emojiChanged();
    void scriptChanged();
    void isSavingChanged();
    void isTestingChanged();
    void canSaveChanged();
    void testResultChanged();
    void saveErrorChanged();
    void dismissed();

private:
    void setSaving(bool saving);
    void setTesting(bool testing);
    void setTestResult(const std::optional<QString>& result);
    void setSaveError(const QString& error);
    void findCreated(const CustomSkillDef& wanted, const QSet<QString>& known);
    void finishSave(bool saved);

    AppState& m_state;
    std::optional<CustomSkillDef> m_existing;
    QString m_name;
    QString m_emoji = QString::fromUtf8(defaultEmoji);
    QString m_script = QString::fromLatin1(defaultScript);
    bool m_isSaving = false;
    bool m_isTesting = false;
    std::optional<QString> m_testResult;
    QString m_saveError;
};
