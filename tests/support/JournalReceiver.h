#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// Stands where journald's native socket stands: a datagram socket bound at a path, decoding what
// libsystemd sends there. Each datagram is one entry, its fields either "NAME=value\n" or, for a value
// with a line feed, "NAME\n" + its length as 64-bit little-endian + the bytes + "\n". An entry too large
// for a datagram comes as a memory file passed along with an empty datagram.
class JournalReceiver
{
public:
    using Fields = QHash<QByteArray, QByteArray>;

    explicit JournalReceiver(const QString& socketPath);
    ~JournalReceiver();
    JournalReceiver(const JournalReceiver&) = delete;
    JournalReceiver& operator=(const JournalReceiver&) = delete;

    bool isListening() const { return m_fd >= 0; }
    // Every entry received so far, reading first whatever waits on the socket.
    QList<Fields> entries();
    // Datagrams that broke the protocol.
    int malformed() const { return m_malformed; }

    // None when the bytes break the protocol.
    static std::optional<Fields> decode(const QByteArray& payload);

private:
    void drain();

    QString m_path;
    int m_fd = -1;
    QList<Fields> m_entries;
    int m_malformed = 0;
};
