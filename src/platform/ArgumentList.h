#pragma once

#include <QStringList>

#include <optional>

// A program's arguments, read left to right. An option's value may be joined to it ("--port=8080") or
// be the next argument ("--port 8080"): both spellings read alike.
class ArgumentList
{
public:
    explicit ArgumentList(QStringList arguments);

    bool atEnd() const { return m_position >= m_arguments.size(); }
    // The next argument; of "--name=value" only "--name", its value kept for takeValue.
    QString next();
    // The value of the option next() returned last: the joined one, else the following argument.
    std::optional<QString> takeValue();
    // The option next() returned last was written with "=value" and nobody took that value.
    bool hasJoinedValue() const { return m_joined.has_value(); }
    // Every argument not read yet.
    QStringList rest() const { return m_arguments.mid(m_position); }

private:
    QStringList m_arguments;
    qsizetype m_position = 0;
    std::optional<QString> m_joined;
};
