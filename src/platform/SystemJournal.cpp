#include "platform/SystemJournal.h"

#include <QThreadPool>

#ifdef HALVEX_HAVE_LIBSYSTEMD
#include <sys/uio.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <vector>
#endif

namespace {

// How long quitting waits for the last entries to be handed over.
constexpr int quitWaitMs = 2000;

void deliver(const SystemJournal::Entry& entry)
{
#ifdef HALVEX_HAVE_LIBSYSTEMD
    // No socket, no journal: asking the file system is cheaper than a send that fails.
    if (::access(SystemJournal::socketPath, F_OK) != 0)
        return;
    std::vector<iovec> fields;
    fields.reserve(size_t(entry.size()));
    for (const QByteArray& field : entry)
        fields.push_back({const_cast<char*>(field.constData()), size_t(field.size())});
    // A failed send is dropped: the alert is stored and shown whatever the journal does.
    sd_journal_sendv(fields.data(), int(fields.size()));
#else
    Q_UNUSED(entry);
#endif
}

} // namespace

SystemJournal::SystemJournal()
    : m_sender(std::make_unique<QThreadPool>()), m_backlog(std::make_shared<std::atomic<int>>(0))
{
    // One sender keeps the journal's order that of the entries.
    m_sender->setMaxThreadCount(1);
}

SystemJournal::~SystemJournal()
{
    // A journal that stopped reading holds the send in progress for good: quitting leaves that thread
    // behind rather than hanging.
    if (!m_sender->waitForDone(quitWaitMs))
        static_cast<void>(m_sender.release());
}

bool SystemJournal::isBuiltIn()
{
#ifdef HALVEX_HAVE_LIBSYSTEMD
    return true;
#else
    return false;
#endif
}

void SystemJournal::send(Entry entry)
{
    if (!isBuiltIn())
        return;
    if (m_backlog->fetch_add(1) >= maxBacklog) {
        m_backlog->fetch_sub(1);
        return;
    }
    m_sender->start([entry = std::move(entry), backlog = m_backlog] {
        deliver(entry);
        backlog->fetch_sub(1);
    });
}
