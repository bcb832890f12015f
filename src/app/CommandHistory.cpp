#include "app/CommandHistory.h"

#include "platform/Settings.h"

CommandHistory::CommandHistory() : m_entries(Settings().cmdHistory()) {}

void CommandHistory::save(const QString& text)
{
    if (!m_entries.isEmpty() && m_entries.constLast() == text)
        return; // a repeat changes nothing, not even the browsing position
    m_entries.append(text);
    if (m_entries.size() > limit)
        m_entries.remove(0, m_entries.size() - limit);
    Settings().setCmdHistory(m_entries);
    m_index = -1;
}

std::optional<QString> CommandHistory::up()
{
    if (m_entries.isEmpty())
        return std::nullopt;
    if (m_index == -1)
        m_index = int(m_entries.size()) - 1;
    else if (m_index >= 1)
        --m_index;
    return m_entries.at(m_index);
}

std::optional<QString> CommandHistory::down()
{
    if (m_index == -1)
        return std::nullopt;
    if (m_index >= int(m_entries.size()) - 1) {
        m_index = -1;
        return QString();
    }
    ++m_index;
    return m_entries.at(m_index);
}
