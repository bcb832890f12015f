#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <memory>

class QThreadPool;

// Writes entries to the systemd journal through libsystemd. A datagram send waits while the journal
// is slow to read, so sending runs on a thread of its own and the caller never waits for it. Where no
// journal listens, or the build has no libsystemd (never on macOS), an entry goes nowhere.
class SystemJournal
{
public:
    // Each field as "NAME=value"; a value may hold any bytes, line feeds included.
    using Entry = QList<QByteArray>;

    static constexpr char socketPath[] = "/run/systemd/journal/socket";
    // Entries waiting beyond this many are dropped: a journal that stopped reading must not make us grow.
    static constexpr int maxBacklog = 64;

    SystemJournal();
    ~SystemJournal();
    SystemJournal(const SystemJournal&) = delete;
    SystemJournal& operator=(const SystemJournal&) = delete;

    // Whether this build writes to the journal at all.
    static bool isBuiltIn();
    void send(Entry entry);

private:
    std::unique_ptr<QThreadPool> m_sender;
    std::shared_ptr<std::atomic<int>> m_backlog;
};
