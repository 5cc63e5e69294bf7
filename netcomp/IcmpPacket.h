#pragma once

// Pure parsing and building of ICMP echo packets, kept apart from the sockets so it can be fed
// any bytes in tests. Addresses in host byte order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace icmp {

constexpr int kEchoReply = 0;
constexpr int kUnreachable = 3;
constexpr int kEcho = 8;
constexpr int kTimeExceeded = 11;
constexpr int kParameterProblem = 12;

// What an ICMP message says about one of our echo requests.
struct EchoMessage {
    int type = 0;  // kEchoReply or an error type
    int code = 0;
    std::uint32_t from = 0;   // sender of the message
    std::uint16_t ident = 0;  // identifier of the echo (for errors: of the quoted request)
    std::uint16_t sequence = 0;
    std::uint32_t echoDestination = 0;  // errors: destination of the quoted request; replies: from
};

// An IPv4 packet as a raw ICMP socket delivers it (IP header first). Returns the message when it
// is an echo reply or an ICMP error quoting an echo request; nothing for anything else, also for
// truncated or malformed bytes.
std::optional<EchoMessage> ParseRawPacket(const std::uint8_t* data, std::size_t size);

// An ICMP message without IP header, as an ICMP datagram socket delivers it; `from` is the
// sender. Returns the message only when it is an echo reply.
std::optional<EchoMessage> ParseDatagramReply(const std::uint8_t* data, std::size_t size,
                                              std::uint32_t from);

// An echo request: 8-byte header with checksum, then dataSize bytes of a fixed pattern.
std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t ident, std::uint16_t sequence,
                                           int dataSize);

// The Internet checksum (ones' complement sum of 16-bit words).
std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t size);

}  // namespace icmp
