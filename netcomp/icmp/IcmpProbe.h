#pragma once

// Qt-free ICMP echo prober, one backend per OS:
//   IcmpProbe_linux.cpp: an unprivileged ICMP datagram socket where net.ipv4.ping_group_range
//                        allows it, a raw socket otherwise;
//   IcmpProbe_win.cpp:   the IP Helper echo API (IcmpSendEcho2Ex, Icmp6SendEcho2), no
//                        administrator rights needed; a system without the IPv6 one (Wine 8)
//                        refuses IPv6 probers with a ProbeError saying so.
//
// One prober sends echo requests from one source address. Several requests may be in flight at
// once (a trace probes several TTLs ahead); each ends in exactly one EchoResult: the matching
// echo reply, an ICMP error about that very request (time exceeded, unreachable), or the
// request's own time-out. Other processes' echoes and unrelated ICMP traffic are ignored.
// Not thread-safe: one thread uses a prober at a time. A prober speaks one family, IPv4
// (ICMP) or IPv6 (ICMPv6), the family of the source it is opened with.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace icmp {

// An IPv4 or IPv6 address. IPv4 in host byte order (0x7f000001 is 127.0.0.1), converted
// implicitly from a number; IPv6 as its 16 bytes in network order with the zone (interface
// index, 0 for none) a link-local address needs.
struct Address {
    bool v6 = false;
    std::uint32_t v4 = 0;
    std::array<std::uint8_t, 16> bytes{};
    std::uint32_t scope = 0;

    Address() = default;
    Address(std::uint32_t ipv4) : v4(ipv4) {}  // NOLINT: IPv4 numbers are addresses
    static Address IPv6(const std::array<std::uint8_t, 16>& bytes, std::uint32_t scope = 0) {
        Address a;
        a.v6 = true;
        a.bytes = bytes;
        a.scope = scope;
        return a;
    }
    static Address AnyIPv6() { return IPv6({}); }

    // 0.0.0.0 or ::, which lets the system choose the source.
    bool isAny() const { return v6 ? bytes == std::array<std::uint8_t, 16>{} : v4 == 0; }
    // Same family and address; the zone is not compared (replies do not always carry it).
    bool sameHost(const Address& o) const {
        return v6 == o.v6 && (v6 ? bytes == o.bytes : v4 == o.v4);
    }
    bool operator==(const Address&) const = default;
};

struct EchoRequest {
    Address destination;
    int ttl = 0;           // 1..255 (the hop limit over IPv6); 0 keeps the system's default
    int dataSize = 32;     // bytes of data after the 8-byte ICMP header, 0..65500
    int timeoutMs = 1000;  // the request ends as TimedOut when nothing matched within this time
};

enum class Outcome {
    Reply,         // echo reply from the destination
    TimeExceeded,  // a router on the way dropped the request at TTL 0 (`from` is that router)
    Unreachable,  // destination, network, port... unreachable or prohibited (`icmpCode` says which)
    TimedOut,     // nothing matched within timeoutMs
    Failed,       // a local error for this request (`errorCode` and `detail` say which)
};

struct EchoResult {
    std::uint64_t id = 0;  // the value send() returned for the request
    Outcome outcome = Outcome::Failed;
    Address from;      // address that answered (Reply, TimeExceeded, Unreachable)
    double rttMs = 0;  // round trip, as precise as the OS measures it (answers only)
    // Code of Unreachable as ICMP for IPv4 has it (0 net, 1 host, 3 port, 4 packet too big,
    // 13 prohibited, ...); ICMPv6 codes are told in these terms.
    int icmpCode = 0;
    int errorCode = 0;   // OS error number of Failed
    std::string detail;  // readable reason of Failed
};

// A prober that cannot be opened or a request that cannot be sent. `code` is the OS error
// number; the message says what went wrong and, for missing rights, how to grant them.
class ProbeError : public std::runtime_error {
  public:
    ProbeError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
    int code;
};

enum class SocketKind {
    Automatic,  // Linux: datagram socket where allowed, else raw; Windows: the echo API
    Datagram,   // Linux only: unprivileged ICMP datagram socket
    Raw,        // Linux only: raw ICMP socket (needs CAP_NET_RAW)
};

class IcmpProbe {
  public:
    virtual ~IcmpProbe() = default;

    // Starts one echo request; returns its id (unique within this prober). Throws ProbeError
    // when the request cannot be sent at all (no route, bad size...).
    virtual std::uint64_t send(const EchoRequest& request) = 0;

    // Waits up to maxWaitMs (0: just looks) until at least one request in flight has ended and
    // returns every request that ended by then, in the order they ended. Returns at once with an
    // empty list when nothing is in flight.
    virtual std::vector<EchoResult> wait(int maxWaitMs) = 0;

    // Requests sent and not yet returned by wait().
    virtual std::size_t inFlight() const = 0;

    // Forgets every request in flight: none of them is returned any more.
    virtual void cancelAll() = 0;
};

// Opens a prober of source's family whose requests leave from `source` (0.0.0.0 or ::: the
// system chooses per route). Throws ProbeError when no socket can be had (for example neither
// datagram nor raw allowed) or the source address cannot be used.
std::unique_ptr<IcmpProbe> OpenIcmpProbe(const Address& source = {},
                                         SocketKind kind = SocketKind::Automatic);

// What the ping and trace route components open their probers with: OpenIcmpProbe unless a
// test gives them a scripted prober.
using ProbeOpener =
    std::function<std::unique_ptr<IcmpProbe>(const Address& source, SocketKind kind)>;

// Dotted quad, or IPv6 text in its shortest form (RFC 5952) with "%zone" when it has one.
std::string FormatAddress(const Address& address);

}  // namespace icmp
