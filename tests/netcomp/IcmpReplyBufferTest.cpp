// Windows only: reply buffers laid out as the IP Helper echo API writes them (the Windows SDK's
// ICMP_ECHO_REPLY and packed ICMPV6_ECHO_REPLY), read as outcomes.
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2 before the IP Helper headers.
#include <gtest/gtest.h>
#include <iphlpapi.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "netcomp/icmp/IcmpReplyBuffer.h"
#include "tests/netcomp/TestAddress.h"

using namespace icmp;

namespace {

void Put32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);  // the API writes little-endian host values
}

// ICMPV6_ECHO_REPLY: sin6_port at 0, sin6_flowinfo at 2, sin6_addr at 6, sin6_scope_id at 22,
// Status at 28, RoundTripTime at 32.
std::vector<unsigned char> Reply6(const std::string& from, std::uint32_t scope,
                                  std::uint32_t status, std::uint32_t rttMs) {
    std::vector<unsigned char> b(64, 0xee);  // what the API does not write stays garbage
    const Address a = Ip(from);
    std::memset(b.data(), 0, 6);  // port and flow info
    std::memcpy(b.data() + 6, a.bytes.data(), 16);
    Put32(b, 22, scope);
    Put32(b, 28, status);
    Put32(b, 32, rttMs);
    return b;
}

// ICMP_ECHO_REPLY: Address (network order) at 0, Status at 4, RoundTripTime at 8.
std::vector<unsigned char> Reply4(const std::string& from, std::uint32_t status,
                                  std::uint32_t rttMs) {
    std::vector<unsigned char> b(64, 0);
    const std::uint32_t network = htonl(Ip(from).v4);
    std::memcpy(b.data(), &network, 4);
    Put32(b, 4, status);
    Put32(b, 8, rttMs);
    return b;
}

struct Case {
    const char* name;
    bool v6;
    unsigned long status;
    Outcome outcome;
    int icmpCode;
};

}  // namespace

// Every status either family's API gives, read from a buffer that names a router as sender;
// the IPv6 parser counts no reply for an error, so the status then comes from GetLastError().
TEST(IcmpReplyBuffer, StatusesOfBothFamilies) {
    const Case cases[] = {
        {"v6 reply", true, IP_SUCCESS, Outcome::Reply, 0},
        {"v6 hop limit exceeded", true, IP_HOP_LIMIT_EXCEEDED, Outcome::TimeExceeded, 0},
        {"v6 reassembly time exceeded", true, IP_REASSEMBLY_TIME_EXCEEDED, Outcome::TimeExceeded,
         0},
        {"v6 time exceeded, other code", true, IP_TIME_EXCEEDED, Outcome::TimeExceeded, 0},
        {"v6 no route", true, IP_DEST_NO_ROUTE, Outcome::Unreachable, 0},
        {"v6 address unreachable", true, IP_DEST_ADDR_UNREACHABLE, Outcome::Unreachable, 1},
        {"v6 prohibited (IPv4's protocol unreachable)", true, IP_DEST_PROHIBITED,
         Outcome::Unreachable, 13},
        {"v6 port unreachable", true, IP_DEST_PORT_UNREACHABLE, Outcome::Unreachable, 3},
        {"v6 packet too big", true, IP_PACKET_TOO_BIG, Outcome::Unreachable, 4},
        {"v6 beyond the source's scope", true, IP_DEST_SCOPE_MISMATCH, Outcome::Unreachable, 1},
        {"v6 unreachable, other code", true, IP_DEST_UNREACHABLE, Outcome::Unreachable, 1},
        {"v6 timed out", true, IP_REQ_TIMED_OUT, Outcome::TimedOut, 0},
        {"v6 parameter problem", true, IP_PARAMETER_PROBLEM, Outcome::Failed, 0},
        {"v4 reply", false, IP_SUCCESS, Outcome::Reply, 0},
        {"v4 TTL expired", false, IP_TTL_EXPIRED_TRANSIT, Outcome::TimeExceeded, 0},
        {"v4 net unreachable", false, IP_DEST_NET_UNREACHABLE, Outcome::Unreachable, 0},
        {"v4 host unreachable", false, IP_DEST_HOST_UNREACHABLE, Outcome::Unreachable, 1},
        {"v4 protocol unreachable", false, IP_DEST_PROT_UNREACHABLE, Outcome::Unreachable, 2},
        {"v4 timed out", false, IP_REQ_TIMED_OUT, Outcome::TimedOut, 0},
        {"v4 general failure", false, IP_GENERAL_FAILURE, Outcome::Failed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string sender = c.v6 ? "fd77:1::1" : "10.201.1.1";
        const auto buffer = c.v6 ? Reply6(sender, 0, c.status, 3) : Reply4(sender, c.status, 3);
        const bool ok = c.status == IP_SUCCESS;
        const EchoResult r = ReadEchoReply(buffer.data(), c.v6, ok ? 1 : 0, ok ? 0 : c.status);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.icmpCode, c.icmpCode);
        const bool answered = c.outcome != Outcome::TimedOut && c.outcome != Outcome::Failed;
        EXPECT_EQ(r.from, answered ? Ip(sender) : Address());
        EXPECT_EQ(r.rttMs, answered ? 3.0 : 0.0);
        if (c.outcome == Outcome::Failed) {
            EXPECT_EQ(r.errorCode, static_cast<int>(c.status));
            EXPECT_FALSE(r.detail.empty());
        }
    }
}

// The status comes from the buffer when the parser counted a reply; a link-local sender keeps
// its zone.
TEST(IcmpReplyBuffer, StatusAndZoneFromTheBuffer) {
    const auto buffer = Reply6("fe80::1", 7, IP_HOP_LIMIT_EXCEEDED, 0);
    const EchoResult r = ReadEchoReply(buffer.data(), true, 1, 0);
    EXPECT_EQ(r.outcome, Outcome::TimeExceeded);
    EXPECT_EQ(r.from, Ip("fe80::1%7"));
    EXPECT_EQ(FormatAddress(r.from), "fe80::1%7");
    const auto four = Reply4("10.201.2.2", IP_SUCCESS, 12);
    EXPECT_EQ(ReadEchoReply(four.data(), false, 1, ERROR_INVALID_PARAMETER).outcome,
              Outcome::Reply);
}

// Texts for statuses without the system's GetIpErrorString (Wine lacks it: a call aborts) and
// without its message table, which holds Winsock texts under the same numbers.
TEST(IcmpReplyBuffer, StatusTexts) {
    EXPECT_EQ(IpStatusText(IP_REQ_TIMED_OUT), "Request timed out");
    EXPECT_EQ(IpStatusText(IP_DEST_PROHIBITED), "Destination protocol unreachable or prohibited");
    EXPECT_EQ(IpStatusText(IP_STATUS_BASE + 99), "IP status 11099");
    const std::string invalid = IpStatusText(ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(invalid.empty());
    EXPECT_EQ(invalid.find("IP status"), std::string::npos) << invalid;
}
