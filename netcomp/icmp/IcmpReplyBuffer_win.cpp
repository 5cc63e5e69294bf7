// Reply buffers of the IP Helper echo API as EchoResults.
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2 before the IP Helper headers.
#include <iphlpapi.h>
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <map>

#include "common/WinText.h"
#include "netcomp/icmp/IcmpReplyBuffer.h"

namespace icmp {

namespace {

// ICMPV6_ECHO_REPLY as the Windows SDK lays it out: its address part is packed (26 bytes).
// MinGW-w64's IPV6_ADDRESS_EX is not, which would read the address two bytes late.
#pragma pack(push, 1)
struct Ipv6AddressEx {
    std::uint16_t port;
    std::uint32_t flowInfo;
    std::uint8_t address[16];
    std::uint32_t scopeId;
};
#pragma pack(pop)
struct Icmp6EchoReply {
    Ipv6AddressEx address;
    std::uint32_t status;
    std::uint32_t roundTripMs;
};
static_assert(offsetof(Icmp6EchoReply, address.address) == 6 &&
              offsetof(Icmp6EchoReply, address.scopeId) == 22 &&
              offsetof(Icmp6EchoReply, status) == 28 && sizeof(Icmp6EchoReply) == 36);

void Unreachable(EchoResult& r, int code) {
    r.outcome = Outcome::Unreachable;
    r.icmpCode = code;
}

// The IPv6 statuses that share their number with an IPv4 one of another meaning, and those only
// IPv6 has. False for the rest, which mean the same in both families (IP_DEST_NO_ROUTE is
// IPv4's net unreachable, IP_HOP_LIMIT_EXCEEDED its TTL expired...).
bool ReadIpv6Status(EchoResult& r, unsigned long status) {
    switch (status) {
        case IP_DEST_SCOPE_MISMATCH:
        case IP_DEST_UNREACHABLE:  // a code the API does not tell apart
            Unreachable(r, 1);
            return true;
        case IP_DEST_PROHIBITED:  // IPv4's "protocol unreachable"
            Unreachable(r, 13);
            return true;
        case IP_TIME_EXCEEDED:
            r.outcome = Outcome::TimeExceeded;
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string IpStatusText(unsigned long status) {
    // In our own words: Wine has no GetIpErrorString (a call aborts the program), and the
    // system's message table holds Winsock texts under these numbers.
    static const std::map<unsigned long, const char*> kTexts = {
        {IP_BUF_TOO_SMALL, "Reply buffer too small"},
        {IP_DEST_NET_UNREACHABLE, "Destination net unreachable"},
        {IP_DEST_HOST_UNREACHABLE, "Destination host unreachable"},
        {IP_DEST_PROT_UNREACHABLE, "Destination protocol unreachable or prohibited"},
        {IP_DEST_PORT_UNREACHABLE, "Destination port unreachable"},
        {IP_NO_RESOURCES, "Not enough IP resources"},
        {IP_BAD_OPTION, "Bad IP option"},
        {IP_HW_ERROR, "Hardware error"},
        {IP_PACKET_TOO_BIG, "Packet too big"},
        {IP_REQ_TIMED_OUT, "Request timed out"},
        {IP_BAD_REQ, "Bad request"},
        {IP_BAD_ROUTE, "Bad route"},
        {IP_TTL_EXPIRED_TRANSIT, "TTL expired in transit"},
        {IP_TTL_EXPIRED_REASSEM, "TTL expired during reassembly"},
        {IP_PARAM_PROBLEM, "Parameter problem"},
        {IP_SOURCE_QUENCH, "Source quench received"},
        {IP_OPTION_TOO_BIG, "IP option too big"},
        {IP_BAD_DESTINATION, "Bad destination"},
        {IP_DEST_UNREACHABLE, "Destination unreachable"},
        {IP_TIME_EXCEEDED, "Time exceeded"},
        {IP_BAD_HEADER, "Bad IP header"},
        {IP_UNRECOGNIZED_NEXT_HEADER, "Unrecognized next header"},
        {IP_ICMP_ERROR, "ICMP error"},
        {IP_DEST_SCOPE_MISMATCH, "Destination beyond the scope of the source address"},
        {IP_GENERAL_FAILURE, "General failure"},
    };
    if (const auto it = kTexts.find(status); it != kTexts.end()) return it->second;
    if (status > IP_STATUS_BASE && status <= IP_PENDING)
        return "IP status " + std::to_string(status);
    return wintext::SystemMessage(status);
}

EchoResult ReadEchoReply(const unsigned char* reply, bool v6, unsigned long parsed,
                         unsigned long lastError) {
    EchoResult r;
    Address from;
    unsigned long status = lastError;
    if (v6) {
        Icmp6EchoReply six;
        std::memcpy(&six, reply, sizeof six);
        std::array<std::uint8_t, 16> bytes{};
        std::memcpy(bytes.data(), six.address.address, 16);
        from = Address::IPv6(bytes, six.address.scopeId);
        r.rttMs = six.roundTripMs;
        if (parsed) status = six.status;
    } else {
        ICMP_ECHO_REPLY four;
        std::memcpy(&four, reply, sizeof four);
        from = ntohl(four.Address);
        r.rttMs = four.RoundTripTime;
        if (parsed) status = four.Status;
    }
    if (!v6 || !ReadIpv6Status(r, status)) {
        switch (status) {
            case IP_SUCCESS:
                r.outcome = Outcome::Reply;
                break;
            case IP_REQ_TIMED_OUT:
                r.outcome = Outcome::TimedOut;
                break;
            case IP_TTL_EXPIRED_TRANSIT:  // IPv6: hop limit exceeded
            case IP_TTL_EXPIRED_REASSEM:
                r.outcome = Outcome::TimeExceeded;
                break;
            case IP_DEST_NET_UNREACHABLE:
                Unreachable(r, 0);
                break;
            case IP_DEST_HOST_UNREACHABLE:
                Unreachable(r, 1);
                break;
            case IP_DEST_PROT_UNREACHABLE:
                Unreachable(r, 2);
                break;
            case IP_DEST_PORT_UNREACHABLE:
                Unreachable(r, 3);
                break;
            case IP_PACKET_TOO_BIG:
                Unreachable(r, 4);
                break;
            default:
                r.outcome = Outcome::Failed;
                r.errorCode = static_cast<int>(status);
                r.detail = IpStatusText(status);
        }
    }
    if (r.outcome == Outcome::Reply || r.outcome == Outcome::TimeExceeded ||
        r.outcome == Outcome::Unreachable)
        r.from = from;
    else
        r.rttMs = 0;
    return r;
}

}  // namespace icmp
