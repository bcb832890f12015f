#include "http/SocketDiag.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace SocketDiag {
namespace {

// An IPv4 address (or an IPv4-mapped IPv6 one) goes in the first word, as the kernel expects.
bool fill(const QHostAddress& address, __be32 (&into)[4], bool ipv6)
{
    std::memset(into, 0, sizeof into);
    if (!ipv6) {
        bool ok = false;
        const quint32 v4 = address.toIPv4Address(&ok);
        if (!ok)
            return false;
        into[0] = htonl(v4);
        return true;
    }
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    std::memcpy(into, v6.c, sizeof into);
    return true;
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

Lookup findTcp(const QHostAddress& localAddress, quint16 localPort, const QHostAddress& remoteAddress,
               quint16 remotePort)
{
    bool localIsV4 = false;
    localAddress.toIPv4Address(&localIsV4);
    bool remoteIsV4 = false;
    remoteAddress.toIPv4Address(&remoteIsV4);
    const bool ipv6 = !(localIsV4 && remoteIsV4);

    struct
    {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST;
    message.header.nlmsg_seq = 1;
    message.request.sdiag_family = ipv6 ? AF_INET6 : AF_INET;
    message.request.sdiag_protocol = IPPROTO_TCP;
    message.request.idiag_states = ~0U;
    message.request.id.idiag_sport = htons(localPort);
    message.request.id.idiag_dport = htons(remotePort);
    message.request.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
    message.request.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;
    if (!fill(localAddress, message.request.id.idiag_src, ipv6) ||
        !fill(remoteAddress, message.request.id.idiag_dst, ipv6))
        return {true, std::nullopt};

    const Descriptor fd(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
    if (fd.get() < 0)
        return {};
    // The kernel answers an exact lookup while handling the request; the limit only guards the loop.
    const timeval limit{0, 200'000};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd.get(), &message, sizeof message, 0, reinterpret_cast<const sockaddr*>(&kernel),
                 sizeof kernel) != ssize_t(sizeof message))
        return {};

    alignas(nlmsghdr) char buffer[8192];
    const ssize_t received = ::recv(fd.get(), buffer, sizeof buffer, 0);
    if (received < 0)
        return {};
    int remaining = int(received);
    for (auto* header = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(header, remaining);
         header = NLMSG_NEXT(header, remaining)) {
        if (header->nlmsg_type == NLMSG_ERROR) {
            const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
            // ENOENT: no such socket. Anything else: the kernel could not tell.
            if (header->nlmsg_len >= NLMSG_LENGTH(sizeof(nlmsgerr)) && error->error == -ENOENT)
                return {true, std::nullopt};
            return {};
        }
        if (header->nlmsg_type == SOCK_DIAG_BY_FAMILY &&
            header->nlmsg_len >= NLMSG_LENGTH(sizeof(inet_diag_msg))) {
            const auto* found = static_cast<const inet_diag_msg*>(NLMSG_DATA(header));
            return {true, Socket{uid_t(found->idiag_uid), found->idiag_inode}};
        }
    }
    return {};
}

} // namespace SocketDiag
