// Fuzz target for the ICMP reply parsers: no packet on the wire may crash them, a message is
// only ever taken for an echo reply or an error quoting an echo request, and a reply built from
// the fuzzed identifiers reads back as it was built. The first byte picks the parser (ICMP raw,
// ICMP datagram, ICMPv6).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "netcomp/wire/IcmpPacket.h"

using namespace icmp;

namespace {

bool IsErrorType(int type) {
    return type == kUnreachable || type == kTimeExceeded || type == kParameterProblem;
}

// An echo reply as a raw socket delivers it, from `from`, with the given identifiers.
std::vector<std::uint8_t> RawReply(std::uint32_t from, std::uint16_t ident, std::uint16_t seq,
                                   int dataSize) {
    std::vector<std::uint8_t> p(20, 0);
    p[0] = 0x45;
    p[8] = 64;
    p[9] = 1;
    for (int i = 0; i < 4; ++i) p[std::size_t(12 + i)] = std::uint8_t(from >> (24 - 8 * i));
    std::vector<std::uint8_t> icmp = BuildEchoRequest(ident, seq, dataSize);
    icmp[0] = kEchoReply;
    p.insert(p.end(), icmp.begin(), icmp.end());
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t* bytes = data + 1;
    const std::size_t n = size - 1;
    switch (data[0] % 3) {
        case 0: {
            const auto m = ParseRawPacket(bytes, n);
            if (m && m->type != kEchoReply && !IsErrorType(m->type)) std::abort();
            if (m && m->type == kEchoReply && m->echoDestination != m->from) std::abort();
            break;
        }
        case 1: {
            const auto m = ParseDatagramReply(bytes, n, 0x0a000001);
            if (m && (m->type != kEchoReply || m->from != 0x0a000001)) std::abort();
            break;
        }
        case 2: {
            const Address from =
                Address::IPv6({0xfd, 0x77, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2});
            const auto m = ParseIcmp6Message(bytes, n, from);
            if (m && m->type != kEchoReply && !IsErrorType(m->type)) std::abort();
            if (m && (!m->from.sameHost(from) || (m->type != kEchoReply && !m->echoDestination.v6)))
                std::abort();
            break;
        }
    }
    if (n >= 8) {
        const std::uint32_t from = (std::uint32_t(bytes[0]) << 24) |
                                   (std::uint32_t(bytes[1]) << 16) |
                                   (std::uint32_t(bytes[2]) << 8) | bytes[3];
        const std::uint16_t ident = std::uint16_t((bytes[4] << 8) | bytes[5]);
        const std::uint16_t seq = std::uint16_t((bytes[6] << 8) | bytes[7]);
        const auto reply = RawReply(from, ident, seq, int(n % 64));
        const auto m = ParseRawPacket(reply.data(), reply.size());
        if (!m || m->type != kEchoReply || m->from != from || m->ident != ident ||
            m->sequence != seq)
            std::abort();
    }
    return 0;
}
