#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Qt-free UDP socket of the syslog component: listens on one port on every local address (IPv6
// with IPv4 mapped, or IPv4 alone where there is no IPv6), not shared with other programs, never
// blocks. Reads datagrams in batches (Linux: recvmmsg) and counts the datagrams the system
// dropped because the queue was full (Linux: the socket's overflow counter).
class SyslogSocket {
  public:
    enum class Failure { None, InUse, NoPermission, Other };

    struct Datagram {
        const char* data;
        std::size_t size;
        const char* address;  // numeric text; an IPv4-mapped IPv6 source as plain IPv4
        int port;
        bool sameAddress;  // the address is the one of the datagram before it in this socket
    };

    static constexpr int kBatch = 64;  // datagrams per receive()

    SyslogSocket();
    ~SyslogSocket();
    SyslogSocket(const SyslogSocket&) = delete;
    SyslogSocket& operator=(const SyslogSocket&) = delete;

    // Opens and binds; on failure returns false with the kind and the system's reason.
    bool open(int port, int receiveBuffer, Failure* failure, std::string* reason);
    void close();
    bool isOpen() const;
    long long descriptor() const;
    int receiveBufferSize() const { return m_receiveBuffer; }

    // Reads up to kBatch waiting datagrams; 0 when none waits. at(i) stays valid until the next
    // receive() or close().
    int receive();
    const Datagram& at(int i) const;

    // Datagrams the system dropped for this socket since it was opened; -1 where the platform
    // does not count them.
    long long dropped() const;

    // How a program can be given the right to listen below port 1024 without running it as
    // administrator (Linux: the one capability cap_net_bind_service); empty where there is none.
    static std::string lowPortHint(const std::string& program);

    // Sends one datagram to a numeric IPv4 or IPv6 address; false with the reason on failure.
    bool sendTo(const std::string& address, int port, const char* data, std::size_t size,
                std::string* reason);

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
    int m_receiveBuffer = 0;
};
