#include "support/JournalReceiver.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The whole of a memory file handed over with a datagram.
QByteArray readMemoryFile(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got <= 0)
            break;
        bytes.append(buffer, got);
        offset += got;
    }
    return bytes;
}

// One datagram, and the memory file that came with it (or -1).
std::optional<std::pair<QByteArray, int>> receive(int socket)
{
    QByteArray datagram(256 * 1024, Qt::Uninitialized);
    iovec vector{datagram.data(), size_t(datagram.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    msghdr message{};
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(socket, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    if (got < 0)
        return std::nullopt;
    datagram.resize(got);
    int passed = -1;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS)
            std::memcpy(&passed, CMSG_DATA(header), sizeof passed);
    }
    return std::pair{datagram, passed};
}

} // namespace

JournalReceiver::JournalReceiver(const QString& socketPath) : m_path(socketPath)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ::unlink(path.constData());
    m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return;
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    // Whoever the sender runs as, as journald's socket allows.
    ::chmod(path.constData(), 0666);
}

JournalReceiver::~JournalReceiver()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    ::unlink(QFile::encodeName(m_path).constData());
}

QList<JournalReceiver::Fields> JournalReceiver::entries()
{
    drain();
    return m_entries;
}

void JournalReceiver::drain()
{
    if (m_fd < 0)
        return;
    while (const auto received = receive(m_fd)) {
        auto [payload, memoryFile] = *received;
        if (memoryFile >= 0) {
            payload = readMemoryFile(memoryFile);
            ::close(memoryFile);
        }
        if (const std::optional<Fields> fields = decode(payload))
            m_entries.append(*fields);
        else
            ++m_malformed;
    }
}

std::optional<JournalReceiver::Fields> JournalReceiver::decode(const QByteArray& payload)
{
    Fields fields;
    qsizetype at = 0;
    while (at < payload.size()) {
        const qsizetype lineEnd = payload.indexOf('\n', at);
        if (lineEnd < 0)
            return std::nullopt;
        const qsizetype equals = payload.indexOf('=', at);
        if (equals >= 0 && equals < lineEnd) {
            fields.insert(payload.mid(at, equals - at), payload.mid(equals + 1, lineEnd - equals - 1));
            at = lineEnd + 1;
            continue;
        }
        const QByteArray name = payload.mid(at, lineEnd - at);
        const qsizetype lengthAt = lineEnd + 1;
        if (payload.size() < lengthAt + 8)
            return std::nullopt;
        const quint64 length = qFromLittleEndian<quint64>(payload.constData() + lengthAt);
        const qsizetype valueAt = lengthAt + 8;
        if (length > quint64(payload.size() - valueAt - 1) || payload.at(valueAt + qsizetype(length)) != '\n')
            return std::nullopt;
        fields.insert(name, payload.mid(valueAt, qsizetype(length)));
        at = valueAt + qsizetype(length) + 1;
    }
    return fields;
}
