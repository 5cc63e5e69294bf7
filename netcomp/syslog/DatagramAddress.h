#pragma once

// Addresses of the datagrams the syslog socket backends receive and send. Include after the
// platform's socket headers (<arpa/inet.h> and <netinet/in.h>, or <ws2tcpip.h>): every name used
// here is the same in both.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class DatagramSources {
  public:
    static constexpr std::size_t kTextSize = INET6_ADDRSTRLEN;

    // Writes the numeric text of `from` into `text` (an IPv4-mapped IPv6 source as plain IPv4),
    // says whether it is the address of the datagram read before it, and returns the port. The
    // text is formatted only when the address changes: a burst from one sender costs a copy.
    int read(const sockaddr_in6& from, char (&text)[kTextSize], bool& sameAddress) {
        sameAddress = m_have && Same(from, m_previous);
        int port, family = AF_INET;
        const void* address;
        if (from.sin6_family == AF_INET6) {
            port = ntohs(from.sin6_port);
            const bool mapped = IN6_IS_ADDR_V4MAPPED(&from.sin6_addr);
            if (!mapped) family = AF_INET6;
            address = mapped ? static_cast<const void*>(&from.sin6_addr.s6_addr[12])
                             : static_cast<const void*>(&from.sin6_addr);
        } else {
            const auto& v4 = reinterpret_cast<const sockaddr_in&>(from);
            port = ntohs(v4.sin_port);
            address = &v4.sin_addr;
        }
        if (!sameAddress) inet_ntop(family, address, m_text, sizeof m_text);
        std::memcpy(text, m_text, sizeof m_text);
        m_previous = from;
        m_have = true;
        return port;
    }

    // The next source is formatted whatever came before (a socket opened again).
    void reset() { m_have = false; }

  private:
    // Compares the part of the address the family uses: an IPv4 source fills only the first
    // bytes of the IPv6-sized slot it is read into.
    static bool Same(const sockaddr_in6& a, const sockaddr_in6& b) {
        if (a.sin6_family != b.sin6_family) return false;
        if (a.sin6_family != AF_INET6)
            return reinterpret_cast<const sockaddr_in&>(a).sin_addr.s_addr ==
                   reinterpret_cast<const sockaddr_in&>(b).sin_addr.s_addr;
        return std::memcmp(&a.sin6_addr, &b.sin6_addr, sizeof a.sin6_addr) == 0 &&
               a.sin6_scope_id == b.sin6_scope_id;
    }

    sockaddr_in6 m_previous{};
    char m_text[kTextSize]{};
    bool m_have = false;
};

// Where a datagram goes: a numeric IPv4 or IPv6 address and a port. A dual-stack socket reaches
// IPv4 through the mapped address; an IPv4 socket reaches no IPv6 address.
class DatagramDestination {
  public:
    DatagramDestination(const std::string& text, int port, bool dualStack) {
        const auto networkPort = htons(static_cast<std::uint16_t>(port));
        in_addr v4{};
        if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
            if (dualStack) {
                m_v6.sin6_family = AF_INET6;
                m_v6.sin6_addr.s6_addr[10] = 0xff;
                m_v6.sin6_addr.s6_addr[11] = 0xff;
                std::memcpy(&m_v6.sin6_addr.s6_addr[12], &v4, 4);
                m_v6.sin6_port = networkPort;
                m_size = sizeof m_v6;
            } else {
                sockaddr_in to{};
                to.sin_family = AF_INET;
                to.sin_addr = v4;
                to.sin_port = networkPort;
                std::memcpy(&m_v6, &to, sizeof to);
                m_size = sizeof to;
            }
        } else if (dualStack && inet_pton(AF_INET6, text.c_str(), &m_v6.sin6_addr) == 1) {
            m_v6.sin6_family = AF_INET6;
            m_v6.sin6_port = networkPort;
            m_size = sizeof m_v6;
        }
    }

    // False when the text is no numeric address this socket can reach.
    bool valid() const { return m_size != 0; }
    const sockaddr* address() const { return reinterpret_cast<const sockaddr*>(&m_v6); }
    int size() const { return m_size; }

  private:
    sockaddr_in6 m_v6{};  // an IPv4 destination sits in its first bytes
    int m_size = 0;
};
