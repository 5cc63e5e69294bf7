#pragma once

// Prober addresses from text in tests: a dotted quad or an IPv6 literal, with "%<interface
// index>" for a zone.

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
    const auto percent = text.find('%');
    const std::string zone = percent == std::string::npos ? "" : text.substr(percent + 1);
    in6_addr v6{};
    if (::inet_pton(AF_INET6, text.substr(0, percent).c_str(), &v6) != 1 ||
        (percent != std::string::npos &&
         (zone.empty() || zone.find_first_not_of("0123456789") != std::string::npos)))
        throw std::invalid_argument("not an address: " + text);
    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), &v6, 16);
    return icmp::Address::IPv6(bytes,
                               zone.empty() ? 0 : static_cast<std::uint32_t>(std::stoul(zone)));
}

namespace icmp {
inline void PrintTo(const Address& a, std::ostream* os) {
    *os << FormatAddress(a);
}
}  // namespace icmp
