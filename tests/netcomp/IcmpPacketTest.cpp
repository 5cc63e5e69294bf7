#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "netcomp/icmp/IcmpProbe.h"
#include "netcomp/wire/IcmpPacket.h"
#include "tests/netcomp/TestAddress.h"

using namespace icmp;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A 20-byte IPv4 header (plus optional option bytes) carrying ICMP from src to dst.
Bytes IpHeader(std::uint32_t src, std::uint32_t dst, int optionWords = 0) {
    Bytes h(20 + 4 * optionWords, 0);
    h[0] = std::uint8_t(0x40 | (5 + optionWords));
    h[8] = 64;
    h[9] = 1;
    for (int i = 0; i < 4; ++i) {
        h[12 + i] = std::uint8_t(src >> (24 - 8 * i));
        h[16 + i] = std::uint8_t(dst >> (24 - 8 * i));
    }
    return h;
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes IcmpHeader(int type, int code, std::uint16_t ident, std::uint16_t seq) {
    return {std::uint8_t(type),
            std::uint8_t(code),
            0,
            0,
            std::uint8_t(ident >> 8),
            std::uint8_t(ident),
            std::uint8_t(seq >> 8),
            std::uint8_t(seq)};
}

constexpr std::uint32_t kUs = 0x0a000001, kRouter = 0x0a000101, kTarget = 0x0a000202;

// An ICMP error from the router quoting our echo request to the target.
Bytes ErrorQuoting(int type, int code, int quotedType, int outerOptions = 0) {
    return Cat(Cat(Cat(IpHeader(kRouter, kUs, outerOptions), IcmpHeader(type, code, 0, 0)),
                   IpHeader(kUs, kTarget)),
               IcmpHeader(quotedType, 0, 0x1234, 7));
}

}  // namespace

TEST(IcmpPacket, RawPacketsOfInterestAreRecognised) {
    struct Case {
        const char* what;
        Bytes bytes;
        int type;
        std::uint32_t from, echoDestination;
    } cases[] = {
        {"echo reply", Cat(IpHeader(kTarget, kUs), IcmpHeader(0, 0, 0x1234, 7)), 0, kTarget,
         kTarget},
        {"time exceeded", ErrorQuoting(11, 0, 8), 11, kRouter, kTarget},
        {"host unreachable", ErrorQuoting(3, 1, 8), 3, kRouter, kTarget},
        {"outer header with options", ErrorQuoting(11, 0, 8, 2), 11, kRouter, kTarget},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto m = ParseRawPacket(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(m.has_value());
        EXPECT_EQ(m->type, c.type);
        EXPECT_EQ(m->from, c.from);
        EXPECT_EQ(m->echoDestination, c.echoDestination);
        EXPECT_EQ(m->ident, 0x1234);
        EXPECT_EQ(m->sequence, 7);
    }
}

TEST(IcmpPacket, OtherOrBrokenPacketsAreIgnored) {
    const Bytes reply = Cat(IpHeader(kTarget, kUs), IcmpHeader(0, 0, 1, 1));
    Bytes notIcmp = reply;
    notIcmp[9] = 17;
    Bytes badIhl = reply;
    badIhl[0] = 0x4f;  // header longer than the packet
    Bytes ipv6 = reply;
    ipv6[0] = 0x65;
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"echo request (our own, looped back)", Cat(IpHeader(kUs, kUs), IcmpHeader(8, 0, 1, 1))},
        {"timestamp reply", Cat(IpHeader(kTarget, kUs), IcmpHeader(14, 0, 1, 1))},
        {"error quoting a UDP datagram", ErrorQuoting(3, 3, 99)},
        {"error quoting an echo reply", ErrorQuoting(11, 0, 0)},
        {"not ICMP", notIcmp},
        {"bad header length", badIhl},
        {"not IPv4", ipv6},
        {"empty", {}},
        {"truncated reply", Bytes(reply.begin(), reply.end() - 1)},
        {"truncated quote",
         [] {
             Bytes b = ErrorQuoting(11, 0, 8);
             b.resize(b.size() - 4);
             return b;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(ParseRawPacket(c.bytes.data(), c.bytes.size()).has_value());
    }
}

TEST(IcmpPacket, EchoRequestCarriesItsDataAndAValidChecksum) {
    for (int size : {0, 1, 32, 5000}) {
        SCOPED_TRACE(size);
        const Bytes p = BuildEchoRequest(0xbeef, 0x0102, size);
        ASSERT_EQ(p.size(), std::size_t(8 + size));
        EXPECT_EQ(p[0], 8);
        EXPECT_EQ(p[4], 0xbe);
        EXPECT_EQ(p[7], 0x02);
        EXPECT_EQ(InternetChecksum(p.data(), p.size()), 0);  // a correct sum checks to zero
    }
}

namespace {

// An IPv6 header from `src` to `dst` whose next header is `next`.
Bytes Ip6Header(const std::string& src, const std::string& dst, int next = 58) {
    Bytes h(40, 0);
    h[0] = 0x60;
    h[6] = std::uint8_t(next);
    h[7] = 64;
    const Address s = Ip(src), d = Ip(dst);
    std::copy(s.bytes.begin(), s.bytes.end(), h.begin() + 8);
    std::copy(d.bytes.begin(), d.bytes.end(), h.begin() + 24);
    return h;
}

// An ICMPv6 error quoting our echo request to fd77:3::2, behind `extension` headers.
Bytes Error6(int type, int code, const Bytes& extension = {}, int firstNext = 58,
             int quotedType = 128) {
    return Cat(Cat(Cat(IcmpHeader(type, code, 0, 0),
                       Ip6Header("fd77:1::1", "fd77:3::2", extension.empty() ? 58 : firstNext)),
                   extension),
               IcmpHeader(quotedType, 0, 0x1234, 7));
}

}  // namespace

// ICMPv6 replies and errors, told in ICMP terms so ping and trace treat both families alike.
TEST(IcmpPacket, Icmp6MessagesInIcmpTerms) {
    const Address router = Ip("fd77:1::2");
    const Bytes hopByHop = {58, 0, 1, 4, 0, 0, 0, 0};       // next: ICMPv6, 8 bytes of padding
    const Bytes fragment = {58, 0, 0, 1, 0, 0, 0, 9};       // first fragment (offset 0, more)
    const Bytes laterFragment = {58, 0, 0, 9, 0, 0, 0, 9};  // offset 1: quotes no echo header
    struct Case {
        const char* what;
        Bytes bytes;
        bool recognised;
        int type, code;
    } cases[] = {
        {"echo reply", IcmpHeader(129, 0, 0x1234, 7), true, kEchoReply, 0},
        {"hop limit exceeded", Error6(3, 0), true, kTimeExceeded, 0},
        {"no route", Error6(1, 0), true, kUnreachable, 0},
        {"prohibited", Error6(1, 1), true, kUnreachable, 13},
        {"address unreachable", Error6(1, 3), true, kUnreachable, 1},
        {"port unreachable", Error6(1, 4), true, kUnreachable, 3},
        {"reject route", Error6(1, 6), true, kUnreachable, 13},
        {"packet too big", Error6(2, 0), true, kUnreachable, 4},
        {"parameter problem", Error6(4, 0), true, kParameterProblem, 0},
        {"behind a hop-by-hop header", Error6(3, 0, hopByHop, 0), true, kTimeExceeded, 0},
        {"behind a first fragment", Error6(3, 0, fragment, 44), true, kTimeExceeded, 0},
        {"behind a later fragment", Error6(3, 0, laterFragment, 44), false, 0, 0},
        {"our own echo request", IcmpHeader(128, 0, 1, 1), false, 0, 0},
        {"neighbour solicitation", IcmpHeader(135, 0, 0, 0), false, 0, 0},
        {"error quoting UDP", Error6(1, 4, Bytes(8, 0), 17), false, 0, 0},
        {"error quoting an echo reply", Error6(3, 0, {}, 58, 129), false, 0, 0},
        {"truncated quote",
         [] {
             Bytes b = Error6(3, 0);
             b.pop_back();
             return b;
         }(),
         false, 0, 0},
        {"empty", {}, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto m = ParseIcmp6Message(c.bytes.data(), c.bytes.size(), router);
        ASSERT_EQ(m.has_value(), c.recognised);
        if (!m) continue;
        EXPECT_EQ(m->type, c.type);
        EXPECT_EQ(m->code, c.code);
        EXPECT_EQ(m->from, router);
        EXPECT_EQ(m->ident, 0x1234);
        EXPECT_EQ(m->sequence, 7);
        EXPECT_EQ(m->echoDestination, c.type == kEchoReply ? router : Ip("fd77:3::2"));
    }
    const Bytes request = BuildEchoRequest(1, 2, 4, true);
    EXPECT_EQ(request[0], 128);
    EXPECT_EQ(request[2] | request[3], 0) << "the kernel fills in the ICMPv6 checksum";
}

TEST(IcmpAddress, IPv6TextIsTheShortestForm) {
    for (const char* text : {"::", "::1", "fd77:1::2", "2001:db8::1:0:0:1", "2001:db8:0:1:1:1:1:1",
                             "1::", "fe80::1234:5678:9abc:def0", "1:0:2:0:3:0:4:0"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FormatAddress(Ip(text)), text);
    }
    EXPECT_EQ(FormatAddress(Ip("2001:0db8:0000:0000:0001:0000:0000:0001")), "2001:db8::1:0:0:1");
    EXPECT_EQ(FormatAddress(Address::IPv6(Ip("fe80::1").bytes, 3)), "fe80::1%3");
    EXPECT_EQ(FormatAddress(Ip("10.77.1.2")), "10.77.1.2");
}
