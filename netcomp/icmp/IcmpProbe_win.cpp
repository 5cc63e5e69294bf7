// Echo requests through the IP Helper echo API: IcmpSendEcho2Ex (IPv4) or Icmp6SendEcho2 (IPv6),
// one event per request, so several requests can be in flight and wait() sleeps on their
// events. No administrator rights.
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2 before the IP Helper headers.
#include <iphlpapi.h>
#include <windows.h>
// icmpapi.h needs the types above.
#include <icmpapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "common/IPv4Text.h"
#include "common/WinText.h"
#include "netcomp/icmp/IcmpProbe.h"
#include "netcomp/icmp/IcmpReplyBuffer.h"

namespace icmp {

namespace {

// IcmpSendEcho2Ex is looked up at run time: not every SDK's icmpapi.h declares it (MinGW-w64's
// does not), and the APC routine parameter's type differs between them; it is unused here.
using SendEcho2Ex = DWORD(WINAPI*)(HANDLE icmp, HANDLE event, PVOID apcRoutine, PVOID apcContext,
                                   IPAddr source, IPAddr destination, LPVOID data, WORD size,
                                   PIP_OPTION_INFORMATION options, LPVOID reply, DWORD replySize,
                                   DWORD timeoutMs);

SendEcho2Ex LoadSendEcho2Ex() {
    HMODULE module = GetModuleHandleW(L"iphlpapi.dll");
    if (!module) module = LoadLibraryW(L"iphlpapi.dll");
    if (!module) return nullptr;
    return reinterpret_cast<SendEcho2Ex>(
        reinterpret_cast<void*>(GetProcAddress(module, "IcmpSendEcho2Ex")));
}

// A system without the IPv6 echo API (Wine 8 has only stubs of it) answers
// ERROR_CALL_NOT_IMPLEMENTED; said plainly, since the OS text alone ("Call not implemented.") does
// not say what is missing.
ProbeError NoIpv6EchoApi(const char* function, DWORD err) {
    return ProbeError(static_cast<int>(err), std::string("This system has no IPv6 echo API (") +
                                                 function + ": " + wintext::SystemMessage(err) +
                                                 ")");
}

sockaddr_in6 SocketAddress6(const Address& a) {
    sockaddr_in6 s{};
    s.sin6_family = AF_INET6;
    std::memcpy(&s.sin6_addr, a.bytes.data(), 16);
    s.sin6_scope_id = a.scope;
    return s;
}

// One request in flight: the API writes into `reply` until `done` is signalled, so both live
// until then even when the request was cancelled.
struct Pending {
    std::uint64_t id = 0;
    HANDLE done = nullptr;
    std::vector<unsigned char> data;
    std::vector<unsigned char> reply;
    ULONGLONG deadline = 0;  // a guard beyond the API's own time-out
    ~Pending() {
        if (done) CloseHandle(done);
    }
};

class WinProbe final : public IcmpProbe {
  public:
    WinProbe(HANDLE icmp, const Address& source, SendEcho2Ex send)
        : m_icmp(icmp), m_source(source), m_send(send) {}
    ~WinProbe() override {
        IcmpCloseHandle(m_icmp);  // cancels what is still outstanding
        // The API may still write a cancelled request's buffer for a moment.
        for (auto* list : {&m_pending, &m_abandoned})
            for (auto& p : *list) WaitForSingleObject(p->done, 200);
    }

    std::uint64_t send(const EchoRequest& request) override {
        if (request.dataSize < 0 || request.dataSize > 65500)
            throw ProbeError(
                ERROR_INVALID_PARAMETER,
                "Echo data size " + std::to_string(request.dataSize) + " is outside 0..65500.");
        if (request.ttl < 0 || request.ttl > 255)
            throw ProbeError(ERROR_INVALID_PARAMETER,
                             "TTL " + std::to_string(request.ttl) + " is outside 1..255.");
        if (request.destination.v6 != m_source.v6)
            throw ProbeError(ERROR_INVALID_PARAMETER,
                             "Cannot send to " + FormatAddress(request.destination) +
                                 " from a prober of the other address family.");
        reap();
        auto p = std::make_unique<Pending>();
        p->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!p->done) throw ProbeError(static_cast<int>(GetLastError()), "Cannot create an event.");
        p->data.assign(static_cast<size_t>(request.dataSize), 0);
        for (size_t i = 0; i < p->data.size(); ++i)
            p->data[i] = static_cast<unsigned char>('a' + i % 23);
        // Room for the reply (ICMP_ECHO_REPLY is the larger of the two families' 40 and 36
        // bytes), its data, an ICMP error's quoted header and the status block.
        p->reply.resize(sizeof(ICMP_ECHO_REPLY) + std::max<size_t>(p->data.size(), 64) + 8 + 64);
        IP_OPTION_INFORMATION options{};
        options.Ttl = static_cast<UCHAR>(request.ttl > 0 ? request.ttl : 128);
        const DWORD timeout = static_cast<DWORD>(std::max(1, request.timeoutMs));
        void* data = p->data.empty() ? nullptr : p->data.data();
        const WORD dataSize = static_cast<WORD>(p->data.size());
        const DWORD replySize = static_cast<DWORD>(p->reply.size());
        DWORD rc = 0;
        if (m_source.v6) {
            sockaddr_in6 from = SocketAddress6(m_source), to = SocketAddress6(request.destination);
            rc = Icmp6SendEcho2(m_icmp, p->done, nullptr, nullptr, &from, &to, data, dataSize,
                                &options, p->reply.data(), replySize, timeout);
        } else {
            rc = m_send(m_icmp, p->done, nullptr, nullptr, htonl(m_source.v4),
                        htonl(request.destination.v4), data, dataSize, &options, p->reply.data(),
                        replySize, timeout);
        }
        const DWORD err = rc == 0 ? GetLastError() : ERROR_SUCCESS;
        if (rc == 0 && m_source.v6 && err == ERROR_CALL_NOT_IMPLEMENTED)
            throw NoIpv6EchoApi("Icmp6SendEcho2", err);
        if (rc == 0 && err != ERROR_IO_PENDING)
            throw ProbeError(static_cast<int>(err), "Cannot send the echo request to " +
                                                        FormatAddress(request.destination) + ": " +
                                                        IpStatusText(err));
        p->id = m_nextId++;
        p->deadline = GetTickCount64() + timeout + 2000;
        m_pending.push_back(std::move(p));
        return m_pending.back()->id;
    }

    std::vector<EchoResult> wait(int maxWaitMs) override {
        std::vector<EchoResult> ended;
        if (m_pending.empty()) return ended;
        const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(0, maxWaitMs));
        for (;;) {
            collect(ended);
            const ULONGLONG now = GetTickCount64();
            if (!ended.empty() || m_pending.empty() || now >= until) break;
            std::vector<HANDLE> events;
            for (const auto& p : m_pending) {
                if (events.size() == MAXIMUM_WAIT_OBJECTS) break;
                events.push_back(p->done);
            }
            // Wake for the first event, a guard deadline or the caller's limit, whichever is first.
            ULONGLONG next = until;
            for (const auto& p : m_pending) next = std::min(next, p->deadline);
            const DWORD slice =
                static_cast<DWORD>(std::min<ULONGLONG>(next > now ? next - now : 0, 1000));
            WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, slice);
        }
        return ended;
    }

    std::size_t inFlight() const override { return m_pending.size(); }

    void cancelAll() override {
        for (auto& p : m_pending) m_abandoned.push_back(std::move(p));
        m_pending.clear();
    }

  private:
    // Moves every ended request, in sending order, from m_pending into `ended`.
    void collect(std::vector<EchoResult>& ended) {
        const ULONGLONG now = GetTickCount64();
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            Pending& p = **it;
            if (WaitForSingleObject(p.done, 0) == WAIT_OBJECT_0) {
                ended.push_back(Parse(p, m_source.v6));
            } else if (now >= p.deadline) {
                // The API never answered: report the time-out, keep the buffer until it does.
                EchoResult r;
                r.id = p.id;
                r.outcome = Outcome::TimedOut;
                ended.push_back(r);
                m_abandoned.push_back(std::move(*it));
                it = m_pending.erase(it);
                continue;
            } else {
                ++it;
                continue;
            }
            it = m_pending.erase(it);
        }
        reap();
    }

    void reap() {
        std::erase_if(m_abandoned, [](const std::unique_ptr<Pending>& p) {
            return WaitForSingleObject(p->done, 0) == WAIT_OBJECT_0;
        });
    }

    static EchoResult Parse(Pending& p, bool v6) {
        const DWORD size = static_cast<DWORD>(p.reply.size());
        const DWORD parsed =
            v6 ? Icmp6ParseReplies(p.reply.data(), size) : IcmpParseReplies(p.reply.data(), size);
        EchoResult r = ReadEchoReply(p.reply.data(), v6, parsed, parsed ? 0 : GetLastError());
        r.id = p.id;
        return r;
    }

    HANDLE m_icmp;
    Address m_source;
    SendEcho2Ex m_send;
    std::uint64_t m_nextId = 1;
    std::vector<std::unique_ptr<Pending>> m_pending;
    std::vector<std::unique_ptr<Pending>> m_abandoned;  // ended for the caller, not for the API
};

// True when address is one of this machine's (a loopback address always is).
bool IsLocalAddress(std::uint32_t address) {
    if ((address >> 24) == 127) return true;
    ULONG size = 0;
    if (GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return false;
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (GetIpAddrTable(table, &size, FALSE) != NO_ERROR) return false;
    for (DWORD i = 0; i < table->dwNumEntries; ++i)
        if (ntohl(table->table[i].dwAddr) == address) return true;
    return false;
}

}  // namespace

std::unique_ptr<IcmpProbe> OpenIcmpProbe(const Address& sourceAddress, SocketKind kind) {
    const std::uint32_t source = sourceAddress.v6 ? 0 : sourceAddress.v4;
    if (kind != SocketKind::Automatic)
        throw ProbeError(ERROR_NOT_SUPPORTED,
                         "Windows sends echo requests through the echo API only.");
    const SendEcho2Ex send = LoadSendEcho2Ex();
    if (!send)
        throw ProbeError(ERROR_PROC_NOT_FOUND, "The echo API (IcmpSendEcho2Ex) is not available.");
    if (source != 0 && !IsLocalAddress(source))
        throw ProbeError(ERROR_INVALID_PARAMETER, "The source address " + FormatDottedQuad(source) +
                                                      " is not an address of this machine.");
    // An IPv6 source that is not local is refused by the first send.
    HANDLE handle = sourceAddress.v6 ? Icmp6CreateFile() : IcmpCreateFile();
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (sourceAddress.v6 && err == ERROR_CALL_NOT_IMPLEMENTED)
            throw NoIpv6EchoApi("Icmp6CreateFile", err);
        throw ProbeError(static_cast<int>(err),
                         "Cannot open the echo API: " + wintext::SystemMessage(err));
    }
    return std::make_unique<WinProbe>(handle, sourceAddress, send);
}

}  // namespace icmp
