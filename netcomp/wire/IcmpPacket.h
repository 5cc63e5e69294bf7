#pragma once

// Pure parsing and building of ICMP and ICMPv6 echo packets, kept apart from the sockets so it
// can be fed any bytes in tests and by the fuzzer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "netcomp/icmp/IcmpProbe.h"

namespace icmp {

constexpr int kEchoReply = 0;
constexpr int kUnreachable = 3;
constexpr int kEcho = 8;
constexpr int kTimeExceeded = 11;
constexpr int kParameterProblem = 12;
constexpr int kUnreachablePacketTooBig = 4;  // the code "fragmentation needed"
constexpr int kUnreachableProhibited = 13;

constexpr int kEcho6 = 128;
constexpr int kEchoReply6 = 129;

// What an ICMP or ICMPv6 message says about one of our echo requests, in ICMP (IPv4) terms.
struct EchoMessage {
    int type = 0;  // kEchoReply or an error type
    int code = 0;
    Address from;             // sender of the message
    std::uint16_t ident = 0;  // identifier of the echo (for errors: of the quoted request)
    std::uint16_t sequence = 0;
    Address echoDestination;  // errors: destination of the quoted request; replies: from
};

// An IPv4 packet as a raw ICMP socket delivers it (IP header first). Returns the message when it
// is an echo reply or an ICMP error quoting an echo request; nothing for anything else, also for
// truncated or malformed bytes.
std::optional<EchoMessage> ParseRawPacket(const std::uint8_t* data, std::size_t size);

// An ICMP message without IP header, as an ICMP datagram socket delivers it; `from` is the
// sender. Returns the message only when it is an echo reply.
std::optional<EchoMessage> ParseDatagramReply(const std::uint8_t* data, std::size_t size,
                                              const Address& from);

// An ICMPv6 message as a raw or datagram ICMPv6 socket delivers it (no IPv6 header); `from` is
// the sender. Returns the message when it is an echo reply or an ICMPv6 error quoting an echo
// request (through IPv6 extension headers too), with type and code told in ICMP terms.
std::optional<EchoMessage> ParseIcmp6Message(const std::uint8_t* data, std::size_t size,
                                             const Address& from);

// An ICMPv6 error (destination unreachable, packet too big, time exceeded, parameter problem)
// in the ICMP terms the prober reports in; false for any other type.
bool Icmp6ErrorAsIcmp(int type6, int code6, int& type, int& code);

// An echo request: 8-byte header, then dataSize bytes of a fixed pattern. The ICMP checksum is
// filled in; an ICMPv6 one (v6) is left to the kernel, which alone knows the source address.
std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t ident, std::uint16_t sequence,
                                           int dataSize, bool v6 = false);

// The Internet checksum (ones' complement sum of 16-bit words).
std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t size);

}  // namespace icmp
