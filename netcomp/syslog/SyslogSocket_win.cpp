#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "netcomp/syslog/DatagramAddress.h"
#include "netcomp/syslog/SocketBuffer.h"
#include "netcomp/syslog/SyslogSocket.h"

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace {

constexpr int kLargest = 65536;  // any UDP payload

std::string Reason(int error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out;
    if (n > 0 && text) {
        const int bytes =
            ::WideCharToMultiByte(CP_UTF8, 0, text, int(n), nullptr, 0, nullptr, nullptr);
        out.resize(std::size_t(bytes));
        ::WideCharToMultiByte(CP_UTF8, 0, text, int(n), out.data(), bytes, nullptr, nullptr);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
            out.pop_back();
    }
    ::LocalFree(text);
    return out.empty() ? "error " + std::to_string(error) : out;
}

}  // namespace

struct SyslogSocket::Impl {
    SOCKET s = INVALID_SOCKET;
    bool started = false;  // WSAStartup done
    bool v6 = false;
    std::unique_ptr<char[]> buffers{new char[std::size_t(kLargest) * kBatch]};
    sockaddr_in6 sources[kBatch]{};
    Datagram out[kBatch]{};
    char addresses[kBatch][DatagramSources::kTextSize]{};
    DatagramSources senders;
};

SyslogSocket::SyslogSocket() : m(std::make_unique<Impl>()) {}

SyslogSocket::~SyslogSocket() {
    close();
}

bool SyslogSocket::open(int port, int receiveBuffer, Failure* failure, std::string* reason) {
    close();
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        *failure = Failure::Other;
        *reason = "Windows Sockets are not available";
        return false;
    }
    m->started = true;
    SOCKET s = ::socket(AF_INET6, SOCK_DGRAM, IPPROTO_UDP);
    const bool v6 = s != INVALID_SOCKET;
    if (v6) {
        const DWORD off = 0;
        ::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&off), sizeof off);
    } else {
        s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    }
    auto fail = [&](int error) {
        *failure = error == WSAEADDRINUSE ? Failure::InUse
                   : error == WSAEACCES   ? Failure::NoPermission
                                          : Failure::Other;
        *reason = Reason(error);
        if (s != INVALID_SOCKET) ::closesocket(s);
        ::WSACleanup();
        m->started = false;
        return false;
    };
    if (s == INVALID_SOCKET) return fail(::WSAGetLastError());
    // Exclusive: a second listener on the port must be refused, not split the traffic.
    const BOOL on = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    int bound;
    if (v6) {
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_addr = in6addr_any;
        any.sin6_port = ::htons(static_cast<u_short>(port));
        bound = ::bind(s, reinterpret_cast<sockaddr*>(&any), sizeof any);
    } else {
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = ::htonl(INADDR_ANY);
        any.sin_port = ::htons(static_cast<u_short>(port));
        bound = ::bind(s, reinterpret_cast<sockaddr*>(&any), sizeof any);
    }
    if (bound != 0) return fail(::WSAGetLastError());
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    // A port-unreachable answer to an earlier send must not fail later reads.
    BOOL report = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
               nullptr);
    m_receiveBuffer = EnlargeReceiveBuffer(static_cast<long long>(s), receiveBuffer);
    m->s = s;
    m->v6 = v6;
    m->senders.reset();
    *failure = Failure::None;
    return true;
}

void SyslogSocket::close() {
    if (m->s != INVALID_SOCKET) {
        ::closesocket(m->s);
        m->s = INVALID_SOCKET;
    }
    if (m->started) {
        ::WSACleanup();
        m->started = false;
    }
}

bool SyslogSocket::isOpen() const {
    return m->s != INVALID_SOCKET;
}

long long SyslogSocket::descriptor() const {
    return static_cast<long long>(m->s);
}

int SyslogSocket::receive() {
    if (m->s == INVALID_SOCKET) return 0;
    int n = 0;
    while (n < kBatch) {
        char* buffer = m->buffers.get() + std::size_t(kLargest) * std::size_t(n);
        sockaddr_in6& from = m->sources[n];
        int fromLength = sizeof from;
        const int got =
            ::recvfrom(m->s, buffer, kLargest, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 0) {
            if (::WSAGetLastError() == WSAEMSGSIZE) continue;  // cannot happen: buffer holds any
            break;                                             // WSAEWOULDBLOCK: none waiting
        }
        Datagram& d = m->out[n];
        d.data = buffer;
        d.size = std::size_t(got);
        d.address = m->addresses[n];
        d.port = m->senders.read(from, m->addresses[n], d.sameAddress);
        ++n;
    }
    return n;
}

const SyslogSocket::Datagram& SyslogSocket::at(int i) const {
    return m->out[i];
}

std::string SyslogSocket::lowPortHint(const std::string&) {
    return {};  // Windows lets every user listen on low UDP ports
}

long long SyslogSocket::dropped() const {
    // Windows keeps no per-socket count of datagrams dropped for a full receive queue.
    return -1;
}

bool SyslogSocket::sendTo(const std::string& address, int port, const char* data, std::size_t size,
                          std::string* reason) {
    const DatagramDestination to(address, port, m->v6);
    if (!to.valid()) {
        *reason = "not a numeric address this socket can reach";
        return false;
    }
    const int sent = ::sendto(m->s, data, int(size), 0, to.address(), to.size());
    if (sent == int(size)) return true;
    *reason = sent < 0 ? Reason(::WSAGetLastError()) : "the datagram was cut short";
    return false;
}
