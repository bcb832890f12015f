#include "platform/ArgumentList.h"

ArgumentList::ArgumentList(QStringList arguments) : m_arguments(std::move(arguments)) {}

QString ArgumentList::next()
{
    m_joined.reset();
    if (atEnd())
        return {};
    const QString argument = m_arguments[m_position++];
    // Only options carry joined values: a plain word with "=" in it is a word.
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (!argument.startsWith(QLatin1Char('-')) || equals < 2)
        return argument;
    m_joined = argument.mid(equals + 1);
    return argument.left(equals);
}

std::optional<QString> ArgumentList::takeValue()
{
    if (m_joined) {
        std::optional<QString> value = std::move(m_joined);
        m_joined.reset();
        return value;
    }
    if (atEnd())
        return std::nullopt;
    return m_arguments[m_position++];
}
