#include "netcomp/wire/IcmpPacket.h"

namespace icmp {
namespace {

std::uint16_t Be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

constexpr int kIcmpProtocol = 1;
constexpr std::size_t kIcmpHeader = 8;

// Length of the IPv4 header at p, or 0 when these bytes are not one of ICMP.
std::size_t IcmpIpHeader(const std::uint8_t* p, std::size_t size) {
    if (size < 20 || (p[0] >> 4) != 4) return 0;
    const std::size_t ihl = std::size_t(p[0] & 0x0f) * 4;
    if (ihl < 20 || ihl > size || p[9] != kIcmpProtocol) return 0;
    return ihl;
}

}  // namespace

std::optional<EchoMessage> ParseRawPacket(const std::uint8_t* data, std::size_t size) {
    const std::size_t ihl = IcmpIpHeader(data, size);
    if (ihl == 0 || size - ihl < kIcmpHeader) return std::nullopt;
    const std::uint8_t* icmp = data + ihl;
    EchoMessage m;
    m.type = icmp[0];
    m.code = icmp[1];
    m.from = Address(Be32(data + 12));
    if (m.type == kEchoReply) {
        m.ident = Be16(icmp + 4);
        m.sequence = Be16(icmp + 6);
        m.echoDestination = m.from;
        return m;
    }
    if (m.type != kUnreachable && m.type != kTimeExceeded && m.type != kParameterProblem)
        return std::nullopt;
    // The error quotes our request: its IP header and at least the 8-byte echo header.
    const std::uint8_t* inner = icmp + kIcmpHeader;
    const std::size_t innerSize = size - ihl - kIcmpHeader;
    const std::size_t innerIhl = IcmpIpHeader(inner, innerSize);
    if (innerIhl == 0 || innerSize - innerIhl < kIcmpHeader) return std::nullopt;
    const std::uint8_t* quoted = inner + innerIhl;
    if (quoted[0] != kEcho) return std::nullopt;
    m.ident = Be16(quoted + 4);
    m.sequence = Be16(quoted + 6);
    m.echoDestination = Address(Be32(inner + 16));
    return m;
}

bool Icmp6ErrorAsIcmp(int type6, int code6, int& type, int& code) {
    switch (type6) {
        case 1:  // destination unreachable
            type = kUnreachable;
            switch (code6) {
                case 0:  // no route to destination
                    code = 0;
                    break;
                case 3:  // address unreachable
                    code = 1;
                    break;
                case 4:  // port unreachable
                    code = 3;
                    break;
                case 1:  // administratively prohibited
                case 5:  // source address failed ingress/egress policy
                case 6:  // reject route to destination
                    code = kUnreachableProhibited;
                    break;
                default:  // beyond the scope of the source address, and newer codes
                    code = 1;
                    break;
            }
            return true;
        case 2:  // packet too big
            type = kUnreachable;
            code = kUnreachablePacketTooBig;
            return true;
        case 3:  // time exceeded (hop limit, or reassembly)
            type = kTimeExceeded;
            code = code6;
            return true;
        case 4:
            type = kParameterProblem;
            code = code6;
            return true;
        default:
            return false;
    }
}

std::optional<EchoMessage> ParseIcmp6Message(const std::uint8_t* data, std::size_t size,
                                             const Address& from) {
    if (size < kIcmpHeader) return std::nullopt;
    EchoMessage m;
    m.from = from;
    if (data[0] == kEchoReply6) {
        m.type = kEchoReply;
        m.code = data[1];
        m.ident = Be16(data + 4);
        m.sequence = Be16(data + 6);
        m.echoDestination = from;
        return m;
    }
    if (!Icmp6ErrorAsIcmp(data[0], data[1], m.type, m.code)) return std::nullopt;
    // The error quotes our request: its IPv6 header, any extension headers, our echo header.
    constexpr std::size_t kIpv6Header = 40;
    const std::uint8_t* inner = data + kIcmpHeader;
    const std::size_t innerSize = size - kIcmpHeader;
    if (innerSize < kIpv6Header || (inner[0] >> 4) != 6) return std::nullopt;
    int next = inner[6];
    std::size_t at = kIpv6Header;
    for (int headers = 0; next != 58; ++headers) {
        if (headers == 8 || innerSize - at < 8) return std::nullopt;
        switch (next) {
            case 0:   // hop-by-hop options
            case 43:  // routing
            case 60:  // destination options
                next = inner[at];
                at += (std::size_t(inner[at + 1]) + 1) * 8;
                break;
            case 44:  // fragment: only the first fragment quotes the echo header
                if ((Be16(inner + at + 2) & 0xfff8) != 0) return std::nullopt;
                next = inner[at];
                at += 8;
                break;
            default:
                return std::nullopt;
        }
        if (at > innerSize) return std::nullopt;
    }
    if (innerSize - at < kIcmpHeader || inner[at] != kEcho6) return std::nullopt;
    m.ident = Be16(inner + at + 4);
    m.sequence = Be16(inner + at + 6);
    std::array<std::uint8_t, 16> destination{};
    for (std::size_t i = 0; i < 16; ++i) destination[i] = inner[24 + i];
    m.echoDestination = Address::IPv6(destination, from.scope);
    return m;
}

std::optional<EchoMessage> ParseDatagramReply(const std::uint8_t* data, std::size_t size,
                                              const Address& from) {
    if (size < kIcmpHeader || data[0] != kEchoReply) return std::nullopt;
    EchoMessage m;
    m.type = kEchoReply;
    m.code = data[1];
    m.from = from;
    m.ident = Be16(data + 4);
    m.sequence = Be16(data + 6);
    m.echoDestination = from;
    return m;
}

std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t size) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2) sum += Be16(data + i);
    if (size % 2) sum += std::uint32_t(data[size - 1]) << 8;
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t ident, std::uint16_t sequence,
                                           int dataSize, bool v6) {
    std::vector<std::uint8_t> packet(kIcmpHeader + std::size_t(dataSize < 0 ? 0 : dataSize));
    packet[0] = std::uint8_t(v6 ? kEcho6 : kEcho);
    packet[4] = std::uint8_t(ident >> 8);
    packet[5] = std::uint8_t(ident);
    packet[6] = std::uint8_t(sequence >> 8);
    packet[7] = std::uint8_t(sequence);
    for (std::size_t i = kIcmpHeader; i < packet.size(); ++i)
        packet[i] = std::uint8_t('a' + (i - kIcmpHeader) % 23);  // the usual echo filler
    if (v6) return packet;
    const std::uint16_t sum = InternetChecksum(packet.data(), packet.size());
    packet[2] = std::uint8_t(sum >> 8);
    packet[3] = std::uint8_t(sum);
    return packet;
}

}  // namespace icmp
