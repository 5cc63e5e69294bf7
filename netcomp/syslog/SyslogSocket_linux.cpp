#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "netcomp/syslog/DatagramAddress.h"
#include "netcomp/syslog/SocketBuffer.h"
#include "netcomp/syslog/SyslogSocket.h"

namespace {

constexpr std::size_t kLargest = 65536;  // any UDP payload

}  // namespace

struct SyslogSocket::Impl {
    int fd = -1;
    // One buffer per slot, large enough for any datagram. The memory is not touched up front,
    // so only the pages that short messages fill become resident.
    std::unique_ptr<char[]> buffers{new char[kLargest * kBatch]};
    mmsghdr headers[kBatch]{};
    iovec vectors[kBatch]{};
    sockaddr_in6 sources[kBatch]{};
    alignas(cmsghdr) char controls[kBatch][CMSG_SPACE(sizeof(std::uint32_t))]{};
    Datagram out[kBatch]{};
    char addresses[kBatch][DatagramSources::kTextSize]{};
    DatagramSources senders;
    std::uint32_t overflow = 0;  // the counter as the last datagram carried it
};

SyslogSocket::SyslogSocket() : m(std::make_unique<Impl>()) {}

SyslogSocket::~SyslogSocket() {
    close();
}

bool SyslogSocket::open(int port, int receiveBuffer, Failure* failure, std::string* reason) {
    close();
    int fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    bool v6 = fd >= 0;
    if (v6) {
        const int off = 0;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    } else {
        fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    }
    auto fail = [&](int error) {
        *failure = error == EADDRINUSE                   ? Failure::InUse
                   : (error == EACCES || error == EPERM) ? Failure::NoPermission
                                                         : Failure::Other;
        *reason = std::strerror(error);
        if (fd >= 0) ::close(fd);
        return false;
    };
    if (fd < 0) return fail(errno);
    // No SO_REUSEADDR: a second listener on the port must be refused, not split the traffic.
    int bound;
    if (v6) {
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_addr = in6addr_any;
        any.sin6_port = htons(static_cast<std::uint16_t>(port));
        bound = ::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any);
    } else {
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        any.sin_port = htons(static_cast<std::uint16_t>(port));
        bound = ::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any);
    }
    if (bound != 0) return fail(errno);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
    m_receiveBuffer = EnlargeReceiveBuffer(fd, receiveBuffer);
    m->fd = fd;
    m->overflow = 0;
    m->senders.reset();
    for (int i = 0; i < kBatch; ++i) {
        m->vectors[i] = {m->buffers.get() + kLargest * std::size_t(i), kLargest};
        msghdr& h = m->headers[i].msg_hdr;
        h.msg_iov = &m->vectors[i];
        h.msg_iovlen = 1;
    }
    *failure = Failure::None;
    return true;
}

void SyslogSocket::close() {
    if (m->fd < 0) return;
    ::close(m->fd);
    m->fd = -1;
}

bool SyslogSocket::isOpen() const {
    return m->fd >= 0;
}

long long SyslogSocket::descriptor() const {
    return m->fd;
}

int SyslogSocket::receive() {
    if (m->fd < 0) return 0;
    for (int i = 0; i < kBatch; ++i) {  // the kernel shortens these fields; give them back
        msghdr& h = m->headers[i].msg_hdr;
        h.msg_name = &m->sources[i];
        h.msg_namelen = sizeof m->sources[i];
        h.msg_control = m->controls[i];
        h.msg_controllen = sizeof m->controls[i];
        h.msg_flags = 0;
    }
    const int n = ::recvmmsg(m->fd, m->headers, kBatch, MSG_DONTWAIT, nullptr);
    if (n <= 0) return 0;
    for (int i = 0; i < n; ++i) {
        msghdr& h = m->headers[i].msg_hdr;
        for (cmsghdr* c = CMSG_FIRSTHDR(&h); c; c = CMSG_NXTHDR(&h, c))
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL)
                std::memcpy(&m->overflow, CMSG_DATA(c), sizeof m->overflow);
        const sockaddr_in6& from = m->sources[i];
        Datagram& d = m->out[i];
        d.data = static_cast<const char*>(m->vectors[i].iov_base);
        d.size = m->headers[i].msg_len;
        d.address = m->addresses[i];
        d.port = m->senders.read(from, m->addresses[i], d.sameAddress);
    }
    return n;
}

const SyslogSocket::Datagram& SyslogSocket::at(int i) const {
    return m->out[i];
}

std::string SyslogSocket::lowPortHint(const std::string& program) {
    return "sudo setcap cap_net_bind_service=+ep " + program;
}

long long SyslogSocket::dropped() const {
    // The socket's drop counter now (it also moves after the last datagram read), else what the
    // last datagram carried.
    if (m->fd >= 0) {
        std::uint32_t info[SK_MEMINFO_VARS]{};
        socklen_t length = sizeof info;
        if (::getsockopt(m->fd, SOL_SOCKET, SO_MEMINFO, info, &length) == 0 &&
            length > SK_MEMINFO_DROPS * sizeof(std::uint32_t) &&
            info[SK_MEMINFO_DROPS] > m->overflow)
            m->overflow = info[SK_MEMINFO_DROPS];
    }
    return m->overflow;
}

bool SyslogSocket::sendTo(const std::string& address, int port, const char* data, std::size_t size,
                          std::string* reason) {
    sockaddr_in6 self{};
    socklen_t selfLength = sizeof self;
    ::getsockname(m->fd, reinterpret_cast<sockaddr*>(&self), &selfLength);
    const DatagramDestination to(address, port, self.sin6_family == AF_INET6);
    if (!to.valid()) {
        *reason = "not a numeric address this socket can reach";
        return false;
    }
    const ssize_t sent = ::sendto(m->fd, data, size, 0, to.address(), socklen_t(to.size()));
    if (sent == static_cast<ssize_t>(size)) return true;
    *reason = sent < 0 ? std::strerror(errno) : "the datagram was cut short";
    return false;
}
