// Linux ICMP and ICMPv6 echo prober: a datagram socket ("ping socket") where the process's
// group is inside net.ipv4.ping_group_range (it governs both families), a raw socket
// (CAP_NET_RAW) otherwise. Round trips use the kernel's receive time stamp against the clock
// read right before sending.
#include <arpa/inet.h>
#include <errno.h>
#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <random>
#include <utility>

#include "netcomp/icmp/IcmpProbe.h"
#include "netcomp/wire/IcmpPacket.h"

namespace icmp {
namespace {

using Steady = std::chrono::steady_clock;

std::int64_t RealtimeNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::string ErrorText(int err) {
    return std::strerror(err);
}

const char* const kHowToAllow =
    "Allow echo without administrator rights for every group with \"sudo sysctl -w "
    "net.ipv4.ping_group_range='0 2147483647'\" (lasting: the same setting in /etc/sysctl.d/), "
    "as most desktops already have it.";

class Fd {
  public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

  private:
    int m_fd;
};

// The socket address of an address (port 0); returns its size.
socklen_t SocketAddress(const Address& a, sockaddr_storage& storage) {
    if (a.v6) {
        sockaddr_in6 s{};
        s.sin6_family = AF_INET6;
        std::memcpy(&s.sin6_addr, a.bytes.data(), 16);
        s.sin6_scope_id = a.scope;
        std::memcpy(&storage, &s, sizeof s);
        return sizeof s;
    }
    sockaddr_in s{};
    s.sin_family = AF_INET;
    s.sin_addr.s_addr = htonl(a.v4);
    std::memcpy(&storage, &s, sizeof s);
    return sizeof s;
}

// Identifiers of this process's raw probers: distinct from each other, random against others.
std::uint16_t NextRawIdent() {
    static std::atomic<std::uint16_t> next{static_cast<std::uint16_t>(std::random_device{}())};
    return next++;
}

class LinuxProbe final : public IcmpProbe {
  public:
    LinuxProbe(int fd, bool raw, bool v6)
        : m_fd(fd), m_raw(raw), m_v6(v6), m_ident(raw ? NextRawIdent() : 0) {}
    ~LinuxProbe() override { ::close(m_fd); }

    std::uint64_t send(const EchoRequest& request) override;
    std::vector<EchoResult> wait(int maxWaitMs) override;
    std::size_t inFlight() const override { return m_pending.size() + m_ended.size(); }
    void cancelAll() override {
        m_pending.clear();
        m_ended.clear();
    }

  private:
    struct Pending {
        std::uint64_t id;
        std::uint16_t sequence;
        Address destination;
        std::int64_t sentNs;
        Steady::time_point deadline;
    };

    void receiveAll();
    void receiveErrorQueue();
    void match(const EchoMessage& m, std::int64_t receivedNs);
    void expire();
    void end(std::vector<Pending>::iterator it, EchoResult result);
    std::uint16_t freeSequence();

    int m_fd;
    bool m_raw;
    bool m_v6;
    std::uint16_t m_ident;  // raw sockets only; the kernel picks it for datagram sockets
    std::uint16_t m_nextSequence = 1;
    std::uint64_t m_nextId = 1;
    std::vector<Pending> m_pending;
    std::deque<EchoResult> m_ended;
    std::array<std::uint8_t, 70000> m_buffer{};
};

std::uint16_t LinuxProbe::freeSequence() {
    for (;;) {
        const std::uint16_t s = m_nextSequence++;
        const bool used = std::any_of(m_pending.begin(), m_pending.end(),
                                      [s](const Pending& p) { return p.sequence == s; });
        if (!used) return s;
    }
}

std::uint64_t LinuxProbe::send(const EchoRequest& request) {
    if (request.dataSize < 0 || request.dataSize > 65500)
        throw ProbeError(
            EINVAL, "Echo data size " + std::to_string(request.dataSize) + " is outside 0..65500.");
    if (request.ttl < 0 || request.ttl > 255)
        throw ProbeError(EINVAL, "TTL " + std::to_string(request.ttl) + " is outside 1..255.");
    if (request.destination.v6 != m_v6)
        throw ProbeError(EAFNOSUPPORT, "Cannot send to " + FormatAddress(request.destination) +
                                           " from a prober of the other address family.");
    const int ttl = request.ttl > 0 ? request.ttl : 64;
    const bool ttlSet =
        m_v6 ? ::setsockopt(m_fd, IPPROTO_IPV6, IPV6_UNICAST_HOPS, &ttl, sizeof ttl) == 0
             : ::setsockopt(m_fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) == 0;
    if (!ttlSet) throw ProbeError(errno, "Cannot set the TTL: " + ErrorText(errno));

    const std::uint16_t sequence = freeSequence();
    const std::vector<std::uint8_t> packet =
        BuildEchoRequest(m_ident, sequence, request.dataSize, m_v6);
    sockaddr_storage to{};
    const socklen_t toSize = SocketAddress(request.destination, to);

    // An ICMP error for an earlier request leaves a pending socket error that the next send
    // would report as its own; collect those first, and retry once if one slipped in between.
    std::int64_t sentNs = 0;
    for (int attempt = 0;; ++attempt) {
        receiveAll();
        sentNs = RealtimeNs();
        if (::sendto(m_fd, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to),
                     toSize) >= 0)
            break;
        const int err = errno;
        if (attempt == 0 &&
            (err == EHOSTUNREACH || err == ENETUNREACH || err == ECONNREFUSED || err == EPROTO))
            continue;
        throw ProbeError(err, "Cannot send the echo request to " +
                                  FormatAddress(request.destination) + ": " + ErrorText(err));
    }
    const std::uint64_t id = m_nextId++;
    m_pending.push_back(
        {id, sequence, request.destination, sentNs,
         Steady::now() + std::chrono::milliseconds(std::max(0, request.timeoutMs))});
    return id;
}

std::vector<EchoResult> LinuxProbe::wait(int maxWaitMs) {
    const Steady::time_point until =
        Steady::now() + std::chrono::milliseconds(std::max(0, maxWaitMs));
    for (;;) {
        receiveAll();
        expire();
        if (!m_ended.empty() || m_pending.empty()) break;
        Steady::time_point next = until;
        for (const Pending& p : m_pending) next = std::min(next, p.deadline);
        const auto now = Steady::now();
        if (now >= until) break;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
        pollfd pfd{m_fd, POLLIN, 0};
        ::poll(&pfd, 1, int(std::clamp<long long>(ms, 0, 1000000)));
    }
    std::vector<EchoResult> out(m_ended.begin(), m_ended.end());
    m_ended.clear();
    return out;
}

void LinuxProbe::expire() {
    const auto now = Steady::now();
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->deadline <= now) {
            EchoResult r;
            r.id = it->id;
            r.outcome = Outcome::TimedOut;
            m_ended.push_back(r);
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
}

void LinuxProbe::end(std::vector<Pending>::iterator it, EchoResult result) {
    result.id = it->id;
    m_ended.push_back(std::move(result));
    m_pending.erase(it);
}

std::int64_t StampOf(msghdr& msg) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec ts;
            std::memcpy(&ts, CMSG_DATA(c), sizeof ts);
            return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
        }
    }
    return RealtimeNs();
}

// What one recvmsg brings besides the bytes: the peer address (the sender, or from the error
// queue the original destination) and the control messages.
struct Incoming {
    sockaddr_storage peer{};
    alignas(cmsghdr) std::array<char, 512> control{};
    iovec iov{};
    msghdr msg{};
};

ssize_t Receive(int fd, int flags, std::uint8_t* data, std::size_t size, Incoming& in) {
    in.iov = {data, size};
    in.msg = {};
    in.msg.msg_name = &in.peer;
    in.msg.msg_namelen = sizeof in.peer;
    in.msg.msg_iov = &in.iov;
    in.msg.msg_iovlen = 1;
    in.msg.msg_control = in.control.data();
    in.msg.msg_controllen = in.control.size();
    return ::recvmsg(fd, &in.msg, flags | MSG_DONTWAIT);
}

Address AddressOf(const sockaddr_storage& storage) {
    if (storage.ss_family == AF_INET6) {
        sockaddr_in6 a{};
        std::memcpy(&a, &storage, sizeof a);
        std::array<std::uint8_t, 16> bytes{};
        std::memcpy(bytes.data(), &a.sin6_addr, 16);
        return Address::IPv6(bytes, a.sin6_scope_id);
    }
    sockaddr_in a{};
    std::memcpy(&a, &storage, sizeof a);
    return Address(ntohl(a.sin_addr.s_addr));
}

void LinuxProbe::receiveAll() {
    if (!m_raw) receiveErrorQueue();
    for (int socketErrors = 0;;) {
        Incoming in;
        const ssize_t n = Receive(m_fd, 0, m_buffer.data(), m_buffer.size(), in);
        if (n < 0) {
            // A datagram socket reports a queued ICMP error here: take it from the error queue.
            if (!m_raw && errno != EAGAIN && errno != EINTR && ++socketErrors < 8) {
                receiveErrorQueue();
                continue;
            }
            if (errno == EINTR) continue;
            return;
        }
        const std::int64_t stamp = StampOf(in.msg);
        const std::size_t size = std::size_t(n);
        const auto m = m_v6    ? ParseIcmp6Message(m_buffer.data(), size, AddressOf(in.peer))
                       : m_raw ? ParseRawPacket(m_buffer.data(), size)
                               : ParseDatagramReply(m_buffer.data(), size, AddressOf(in.peer));
        if (m) match(*m, stamp);
    }
}

void LinuxProbe::receiveErrorQueue() {
    for (;;) {
        Incoming in;
        const ssize_t n = Receive(m_fd, MSG_ERRQUEUE, m_buffer.data(), m_buffer.size(), in);
        if (n < 0) return;
        const sock_extended_err* ee = nullptr;
        for (cmsghdr* c = CMSG_FIRSTHDR(&in.msg); c; c = CMSG_NXTHDR(&in.msg, c))
            if ((c->cmsg_level == SOL_IP && c->cmsg_type == IP_RECVERR) ||
                (c->cmsg_level == SOL_IPV6 && c->cmsg_type == IPV6_RECVERR))
                ee = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
        // The payload is the header of our own request: its sequence says which one failed.
        if (!ee || n < 8 || m_buffer[0] != (m_v6 ? kEcho6 : kEcho)) continue;
        const std::uint16_t sequence = std::uint16_t((m_buffer[6] << 8) | m_buffer[7]);
        const Address destination = AddressOf(in.peer);
        auto it = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending& p) {
            return p.sequence == sequence && p.destination.sameHost(destination);
        });
        if (it == m_pending.end()) continue;
        EchoMessage m;
        const bool icmp4 = ee->ee_origin == SO_EE_ORIGIN_ICMP;
        if (icmp4 || (ee->ee_origin == SO_EE_ORIGIN_ICMP6 &&
                      Icmp6ErrorAsIcmp(ee->ee_type, ee->ee_code, m.type, m.code))) {
            if (icmp4) {
                m.type = ee->ee_type;
                m.code = ee->ee_code;
            }
            sockaddr_storage offender{};
            std::memcpy(&offender, SO_EE_OFFENDER(ee),
                        icmp4 ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
            m.from = AddressOf(offender);
            m.sequence = sequence;
            m.echoDestination = destination;
            match(m, StampOf(in.msg));
        } else {
            EchoResult r;
            r.outcome = Outcome::Failed;
            r.errorCode = int(ee->ee_errno);
            r.detail = ErrorText(r.errorCode);
            end(it, r);
        }
    }
}

void LinuxProbe::match(const EchoMessage& m, std::int64_t receivedNs) {
    if (m_raw && m.ident != m_ident) return;  // another process's echo
    auto it = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending& p) {
        return p.sequence == m.sequence && p.destination.sameHost(m.echoDestination);
    });
    if (it == m_pending.end()) return;
    EchoResult r;
    r.from = m.from;
    r.rttMs = double(std::max<std::int64_t>(0, receivedNs - it->sentNs)) / 1e6;
    switch (m.type) {
        case kEchoReply:
            r.outcome = Outcome::Reply;
            break;
        case kTimeExceeded:
            r.outcome = Outcome::TimeExceeded;
            break;
        case kUnreachable:
            r.outcome = Outcome::Unreachable;
            r.icmpCode = m.code;
            break;
        default:
            r.outcome = Outcome::Failed;
            r.errorCode = EPROTO;
            r.detail = "ICMP parameter problem reported by " + FormatAddress(m.from);
            break;
    }
    end(it, r);
}

void CommonOptions(int fd, bool raw, bool v6) {
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    // Large echoes are fragmented like any ping's rather than refused for the path MTU.
    if (v6) {
        const int pmtu = IPV6_PMTUDISC_DONT;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_MTU_DISCOVER, &pmtu, sizeof pmtu);
        if (raw) {
            icmp6_filter filter;
            ICMP6_FILTER_SETBLOCKALL(&filter);
            for (int type : {kEchoReply6, 1, 2, 3, 4}) ICMP6_FILTER_SETPASS(type, &filter);
            ::setsockopt(fd, IPPROTO_ICMPV6, ICMP6_FILTER, &filter, sizeof filter);
        } else {
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_RECVERR, &on, sizeof on);
        }
        return;
    }
    const int pmtu = IP_PMTUDISC_DONT;
    ::setsockopt(fd, IPPROTO_IP, IP_MTU_DISCOVER, &pmtu, sizeof pmtu);
    if (raw) {
        icmp_filter filter{};
        filter.data = ~((1u << kEchoReply) | (1u << kUnreachable) | (1u << kTimeExceeded) |
                        (1u << kParameterProblem));
        ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    } else {
        ::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
    }
}

}  // namespace

std::unique_ptr<IcmpProbe> OpenIcmpProbe(const Address& source, SocketKind kind) {
    const bool v6 = source.v6;
    const int family = v6 ? AF_INET6 : AF_INET;
    const int protocol = v6 ? int(IPPROTO_ICMPV6) : int(IPPROTO_ICMP);
    int fd = -1;
    bool raw = false;
    int datagramError = 0;
    if (kind != SocketKind::Raw) {
        fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, protocol);
        if (fd < 0) datagramError = errno;
    }
    if (fd < 0 && kind != SocketKind::Datagram) {
        fd = ::socket(family, SOCK_RAW | SOCK_CLOEXEC, protocol);
        raw = fd >= 0;
        if (fd < 0) {
            const int err = errno;
            if (err == EPERM || err == EACCES)
                throw ProbeError(err,
                                 "This program may not send ICMP echo requests: neither an ICMP "
                                 "datagram socket nor a raw socket is permitted. " +
                                     std::string(kHowToAllow));
            throw ProbeError(err, std::string("Cannot open an ") + (v6 ? "ICMPv6" : "ICMP") +
                                      " socket: " + ErrorText(err));
        }
    }
    if (fd < 0) {
        std::string text = std::string("Cannot open an ") + (v6 ? "ICMPv6" : "ICMP") +
                           " datagram socket: " + ErrorText(datagramError);
        if (datagramError == EACCES || datagramError == EPERM)
            text += ". " + std::string(kHowToAllow);
        throw ProbeError(datagramError, text);
    }
    Fd guard(fd);
    CommonOptions(fd, raw, v6);
    if (!source.isAny()) {
        sockaddr_storage local{};
        const socklen_t size = SocketAddress(source, local);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&local), size) != 0) {
            const int err = errno;
            throw ProbeError(err,
                             "Cannot send from " + FormatAddress(source) + ": " + ErrorText(err));
        }
    }
    return std::make_unique<LinuxProbe>(guard.release(), raw, v6);
}

}  // namespace icmp
