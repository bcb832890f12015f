#include "app/CommandConsole.h"

#include "app/AppState.h"
#include "model/TextUtil.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

QColor colorOf(const RgbaColor& color)
{
    return QColor::fromRgbF(color.red, color.green, color.blue, color.alpha);
}

} // namespace

CommandConsole::CommandConsole(AppState& state, QObject* parent) : QObject(parent), m_state(state)
{
    // Parented, so QML never takes the models for its own.
    m_tiles.setParent(this);
    m_transcript.setParent(this);
    m_spinner.setInterval(spinnerTickMs);
    connect(&m_spinner, &QTimer::timeout, this, &CommandConsole::tickSpinner);
    connect(&m_state, &AppState::customSkillsChanged, this, &CommandConsole::refreshTiles);
    connect(&m_state, &AppState::automatedSkillIdsChanged, this, &CommandConsole::refreshTiles);
    refreshTiles();
}

QVariantList CommandConsole::categories() const
{
    QVariantList list;
    for (const SkillCategory category : SkillCategory::allCases())
        list.append(QVariantMap{{QStringLiteral("label"), category.id()},
                                {QStringLiteral("icon"), category.sfIcon()},
                                {QStringLiteral("accent"), colorOf(category.accent())}});
    return list;
}

void CommandConsole::setCategoryIndex(int index)
{
    const auto cases = SkillCategory::allCases();
    if (index < 0 || index >= int(cases.size()) || cases[index] == m_category)
        return;
    m_category = cases[index];
    refreshTiles();
    Q_EMIT categoryChanged();
}

QColor CommandConsole::accent() const
{
    return colorOf(m_category.accent());
}

void CommandConsole::setCmdText(const QString& text)
{
    if (text == m_cmdText)
        return;
    const bool couldSend = canSend();
    m_cmdText = text;
    Q_EMIT cmdTextChanged();
    if (canSend() != couldSend)
        Q_EMIT canSendChanged();
}

bool CommandConsole::canSend() const
{
    return !m_isRunning && !TextUtil::trimSpacesAndTabs(m_cmdText).isEmpty();
}

QString CommandConsole::spinnerText() const
{
    return QStringLiteral("running") + QString(m_spinnerDots, QLatin1Char('.'));
}

void CommandConsole::runSkill(const QString& id)
{
    setCmdText({});
    append(CmdMessage::Role::user, id);
    setRunning(true);
    m_state.client().runCommand(id, this,
                                [this](const HalvexClient::CommandOutcome& outcome) { applyReply(outcome); });
}

void CommandConsole::submitChat()
{
    if (!canSend())
        return;
    const QString text = TextUtil::trimSpacesAndTabs(m_cmdText).toString();
    m_history.save(text);
    setCmdText({});
    append(CmdMessage::Role::user, text);
    setRunning(true);
    m_state.client().sendChatMessage(text, this, [this](const std::optional<QString>& reply) {
        applyReply({reply, std::nullopt});
    });
}

// Replies are applied as they arrive, whichever request they answer; the first one ends "running".
void CommandConsole::applyReply(const HalvexClient::CommandOutcome& outcome)
{
    if (outcome.text)
        append(CmdMessage::Role::result, *outcome.text);
    else // the backend's own reason when it turned the command down says more than silence
        append(CmdMessage::Role::error, outcome.refusal.value_or(QString::fromLatin1(noResponse)));
    setRunning(false);
    Q_EMIT inputFocusRequested();
}

void CommandConsole::historyUp()
{
    if (const std::optional<QString> text = m_history.up())
        setCmdText(*text);
}

void CommandConsole::historyDown()
{
    if (const std::optional<QString> text = m_history.down())
        setCmdText(*text);
}

void CommandConsole::toggleAutomation(const QString& id)
{
    m_state.toggleAutomation(id);
}

void CommandConsole::newScript()
{
    openEditor(std::nullopt);
}

void CommandConsole::editScript(const QString& id)
{
    for (const CustomSkillDef& def : m_state.customSkills()) {
        if (def.id == id) {
            openEditor(def);
            return;
        }
    }
}

void CommandConsole::deleteScript(const QString& id)
{
    m_state.client().deleteCustomSkill(id, this, [this](bool) { m_state.loadCustomSkills(); });
}

void CommandConsole::copyMessage(int row) const
{
    const QList<CmdMessage>& messages = m_transcript.messages();
    if (row < 0 || row >= messages.size())
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(messages.at(row).content);
}

void CommandConsole::append(CmdMessage::Role role, const QString& content)
{
    m_transcript.append(CmdMessage::make(role, content));
    Q_EMIT messageCountChanged();
}

void CommandConsole::setRunning(bool running)
{
    if (running == m_isRunning)
        return;
    const bool couldSend = canSend();
    m_isRunning = running;
    // Each showing of the spinner starts from "running" without dots.
    m_spinnerDots = 0;
    if (running)
        m_spinner.start();
    else
        m_spinner.stop();
    Q_EMIT isRunningChanged();
    Q_EMIT spinnerTextChanged();
    if (canSend() != couldSend)
        Q_EMIT canSendChanged();
}

void CommandConsole::tickSpinner()
{
    m_spinnerDots = m_spinnerDots % 3 + 1;
    Q_EMIT spinnerTextChanged();
}

void CommandConsole::refreshTiles()
{
    m_tiles.setRows(SkillTileRows::tilesFor(m_category, m_state.customSkills(), m_state.automatedSkillIds()));
}

void CommandConsole::openEditor(std::optional<CustomSkillDef> existing)
{
    if (m_editor)
        return; // one sheet at a time
    m_editor = new ScriptEditor(m_state, std::move(existing), this);
    connect(m_editor, &ScriptEditor::dismissed, this, [this] {
        if (m_editor)
            m_editor->deleteLater();
        m_editor = nullptr;
        Q_EMIT editorChanged();
    });
    Q_EMIT editorChanged();
}
