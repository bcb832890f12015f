#pragma once

#include "app/CommandHistory.h"
#include "app/ScriptEditor.h"
#include "app/SkillTileRows.h"
#include "app/TranscriptRows.h"
#include "backend/HalvexClient.h"
#include "model/SkillCategory.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantList>

class AppState;

// The "Commands" tab: the category bar, the skill tiles, the transcript, the input line with its
// history, and the script editor sheet it opens. Tapping a tile runs that skill; a typed line goes to
// the backend's chat. Lives as long as the dashboard window; only the history outlives it.
class CommandConsole : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList categories READ categories CONSTANT)
    Q_PROPERTY(int categoryIndex READ categoryIndex WRITE setCategoryIndex NOTIFY categoryChanged)
    Q_PROPERTY(QColor accent READ accent NOTIFY categoryChanged)
    Q_PROPERTY(SkillTileRows* tiles READ tiles CONSTANT)
    Q_PROPERTY(TranscriptRows* transcript READ transcript CONSTANT)
    Q_PROPERTY(int messageCount READ messageCount NOTIFY messageCountChanged)
    Q_PROPERTY(QString cmdText READ cmdText WRITE setCmdText NOTIFY cmdTextChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(QString spinnerText READ spinnerText NOTIFY spinnerTextChanged)
    Q_PROPERTY(bool showCustomEditor READ showCustomEditor NOTIFY editorChanged)
    Q_PROPERTY(ScriptEditor* editor READ editor NOTIFY editorChanged)
public:
    static constexpr char noResponse[] = "No response from backend";
    static constexpr int spinnerTickMs = 400;

    explicit CommandConsole(AppState& state, QObject* parent = nullptr);

    QVariantList categories() const;
    int categoryIndex() const { return m_category.value(); }
    void setCategoryIndex(int index);
    SkillCategory category() const { return m_category; }
    QColor accent() const;
    SkillTileRows* tiles() { return &m_tiles; }
    TranscriptRows* transcript() { return &m_transcript; }
    int messageCount() const { return int(m_transcript.messages().size()); }
    QString cmdText() const { return m_cmdText; }
    void setCmdText(const QString& text);
    bool canSend() const;
    bool isRunning() const { return m_isRunning; }
    QString spinnerText() const;
    bool showCustomEditor() const { return !m_editor.isNull(); }
    ScriptEditor* editor() const { return m_editor; }
    const CommandHistory& history() const { return m_history; }

    // Runs a built-in or script skill; tiles stay clickable while requests are in flight.
    Q_INVOKABLE void runSkill(const QString& id);
    // Sends the typed line to the chat, when canSend.
    Q_INVOKABLE void submitChat();
    Q_INVOKABLE void historyUp();
    Q_INVOKABLE void historyDown();
    Q_INVOKABLE void toggleAutomation(const QString& id);
    Q_INVOKABLE void newScript();
    Q_INVOKABLE void editScript(const QString& id);
    // Deletes at once, then reloads the script skills; the transcript shows nothing of it.
    Q_INVOKABLE void deleteScript(const QString& id);
    Q_INVOKABLE void copyMessage(int row) const;

Q_SIGNALS:
    void categoryChanged();
    void messageCountChanged();
    void cmdTextChanged();
    void canSendChanged();
    void isRunningChanged();
    void spinnerTextChanged();
    void editorChanged();
    // A reply was applied: the input line takes the keyboard focus again.
    void inputFocusRequested();

private:
    void append(CmdMessage::Role role, const QString& content);
    void applyReply(const HalvexClient::CommandOutcome& outcome);
    void setRunning(bool running);
    void refreshTiles();
    void openEditor(std::optional<CustomSkillDef> existing);
    void tickSpinner();

    AppState& m_state;
    SkillCategory m_category = SkillCategory::quick;
    SkillTileRows m_tiles;
    TranscriptRows m_transcript;
    CommandHistory m_history;
    QString m_cmdText;
    bool m_isRunning = false;
    int m_spinnerDots = 0;
    QTimer m_spinner;
    QPointer<ScriptEditor> m_editor;
};
