#include "IcmpPacket.h"

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
    m.from = Be32(data + 12);
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
    m.echoDestination = Be32(inner + 16);
    return m;
}

std::optional<EchoMessage> ParseDatagramReply(const std::uint8_t* data, std::size_t size,
                                              std::uint32_t from) {
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
                                           int dataSize) {
    std::vector<std::uint8_t> packet(kIcmpHeader + std::size_t(dataSize < 0 ? 0 : dataSize));
    packet[0] = kEcho;
    packet[4] = std::uint8_t(ident >> 8);
    packet[5] = std::uint8_t(ident);
    packet[6] = std::uint8_t(sequence >> 8);
    packet[7] = std::uint8_t(sequence);
    for (std::size_t i = kIcmpHeader; i < packet.size(); ++i)
        packet[i] = std::uint8_t('a' + (i - kIcmpHeader) % 23);  // the usual echo filler
    const std::uint16_t sum = InternetChecksum(packet.data(), packet.size());
    packet[2] = std::uint8_t(sum >> 8);
    packet[3] = std::uint8_t(sum);
    return packet;
}

}  // namespace icmp
