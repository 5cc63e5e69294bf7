#pragma once

// Prober addresses from text in tests: a dotted quad or an IPv6 literal (no zone).

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include <array>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string>

#include "netcomp/icmp/IcmpProbe.h"

inline icmp::Address Ip(const std::string& text) {
    in_addr v4{};
    if (::inet_pton(AF_INET, text.c_str(), &v4) == 1) return icmp::Address(ntohl(v4.s_addr));
    in6_addr v6{};
    if (::inet_pton(AF_INET6, text.c_str(), &v6) != 1)
        throw std::invalid_argument("not an address: " + text);
    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), &v6, 16);
    return icmp::Address::IPv6(bytes);
}

namespace icmp {
inline void PrintTo(const Address& a, std::ostream* os) {
    *os << FormatAddress(a);
}
}  // namespace icmp
