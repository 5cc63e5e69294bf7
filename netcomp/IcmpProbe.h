#pragma once

// Qt-free ICMP echo prober, one backend per OS:
//   IcmpProbe_linux.cpp: an unprivileged ICMP datagram socket where net.ipv4.ping_group_range
//                        allows it, a raw socket otherwise;
//   IcmpProbe_win.cpp:   the IP Helper echo API (IcmpSendEcho2Ex), no administrator rights needed.
//
// One prober sends echo requests from one source address. Several requests may be in flight at
// once (a trace probes several TTLs ahead); each ends in exactly one EchoResult: the matching
// echo reply, an ICMP error about that very request (time exceeded, unreachable), or the
// request's own time-out. Other processes' echoes and unrelated ICMP traffic are ignored.
// Not thread-safe: one thread uses a prober at a time. Addresses are IPv4 in host byte order
// (0x7f000001 is 127.0.0.1).

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace icmp {

struct EchoRequest {
    std::uint32_t destination = 0;
    int ttl = 0;           // 1..255; 0 keeps the system's default
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
    std::uint32_t from = 0;  // address that answered (Reply, TimeExceeded, Unreachable)
    double rttMs = 0;        // round trip, as precise as the OS measures it (answers only)
    int icmpCode = 0;        // ICMP code of Unreachable (0 net, 1 host, 3 port, 13 prohibited, ...)
    int errorCode = 0;       // OS error number of Failed
    std::string detail;      // readable reason of Failed
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

// Opens a prober whose requests leave from `source` (0: the system chooses per route).
// Throws ProbeError when no socket can be had (for example neither datagram nor raw allowed)
// or the source address cannot be used.
std::unique_ptr<IcmpProbe> OpenIcmpProbe(std::uint32_t source = 0,
                                         SocketKind kind = SocketKind::Automatic);

// What the ping and trace route components open their probers with: OpenIcmpProbe unless a
// test gives them a scripted prober.
using ProbeOpener =
    std::function<std::unique_ptr<IcmpProbe>(std::uint32_t source, SocketKind kind)>;

// Dotted quad <-> host-order address; ParseIPv4 accepts exactly four decimal parts 0..255
// (no leading "+", no blanks) and returns false otherwise.
bool ParseIPv4(const std::string& text, std::uint32_t& address);
std::string FormatIPv4(std::uint32_t address);

}  // namespace icmp
