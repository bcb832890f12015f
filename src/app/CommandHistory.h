#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The lines typed into the console, oldest first, kept under the setting "cmdHistory", and the
// position while the arrow keys browse them. Read from the settings when created.
class CommandHistory
{
public:
    static constexpr int limit = 50;

    CommandHistory();

    const QStringList& entries() const { return m_entries; }
    int index() const { return m_index; } // -1 while not browsing

    // Appends an accepted line unless it repeats the newest one; keeps the newest `limit` entries,
    // stores them and stops browsing.
    void save(const QString& text);
    // The input line's new text, or nothing when the key changes nothing.
    std::optional<QString> up();
    std::optional<QString> down();

private:
    QStringList m_entries;
    int m_index = -1;
};
