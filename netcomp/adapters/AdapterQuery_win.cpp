// Adapters through the IP Helper API: GetAdaptersInfo gives the IPv4 view with DHCP server and
// lease times; GetAdaptersAddresses adds the Unicode description and the DNS servers.
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2 first; iphlpapi needs both.
#include <iphlpapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

#include "common/IPv4Text.h"
#include "common/WinText.h"
#include "netcomp/adapters/AdapterQuery.h"

namespace {

// Windows reports "no address" as 0.0.0.0; the records say it with an empty text.
std::string Quad(const char* text) {
    std::string s = text ? text : "";
    return s == "0.0.0.0" ? std::string() : s;
}

std::string TypeName(UINT type) {
    switch (type) {
        case MIB_IF_TYPE_ETHERNET:
            return "Ethernet";
        case MIB_IF_TYPE_TOKENRING:
            return "Token Ring";
        case MIB_IF_TYPE_FDDI:
            return "FDDI";
        case MIB_IF_TYPE_PPP:
            return "PPP";
        case MIB_IF_TYPE_LOOPBACK:
            return "Loopback";
        case MIB_IF_TYPE_SLIP:
            return "SLIP";
        case IF_TYPE_IEEE80211:
            return "Wireless";
        case IF_TYPE_TUNNEL:
            return "Tunnel";
        case IF_TYPE_IEEE1394:
            return "IEEE 1394";
        default:
            return "Other";
    }
}

std::string Mac(const BYTE* bytes, UINT length) {
    std::string out;
    for (UINT i = 0; i < length; ++i) {
        char part[4];
        std::snprintf(part, sizeof part, i ? "-%02X" : "%02X", bytes[i]);
        out += part;
    }
    return out;
}

// Local wall-clock time of a lease stamp; empty when there is none.
std::string LeaseTime(time_t stamp) {
    if (stamp <= 0) return {};
    std::tm local{};
    if (localtime_s(&local, &stamp) != 0) return {};
    char text[32];
    std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
    return text;
}

struct UnicodeView {
    std::string description;
    std::string dnsServers;
};

// Per interface index: what only GetAdaptersAddresses knows. Failure leaves the map empty and
// the records fall back to the ANSI description and no DNS servers.
std::map<unsigned, UnicodeView> QueryUnicodeViews() {
    std::map<unsigned, UnicodeView> views;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        rc = GetAdaptersAddresses(AF_INET, flags, nullptr,
                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (rc != NO_ERROR) return views;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
        UnicodeView v;
        if (a->Description) v.description = wintext::Utf8FromWide(a->Description);
        for (auto* d = a->FirstDnsServerAddress; d; d = d->Next) {
            const SOCKADDR* sa = d->Address.lpSockaddr;
            if (!sa || sa->sa_family != AF_INET) continue;
            const auto* in = reinterpret_cast<const sockaddr_in*>(sa);
            if (!v.dnsServers.empty()) v.dnsServers += ' ';
            v.dnsServers += FormatDottedQuad(ntohl(in->sin_addr.s_addr));
        }
        views[a->IfIndex] = std::move(v);
    }
    return views;
}

}  // namespace

AdapterQueryResult QueryAdapters() {
    AdapterQueryResult result;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    DWORD rc = ERROR_BUFFER_OVERFLOW;
    // The table can grow between the size query and the read: retry a few times.
    for (int attempt = 0; attempt < 3 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (rc == ERROR_NO_DATA) return result;  // no adapter: an empty list, not a failure
    if (rc != NO_ERROR) {
        result.errorCode = static_cast<int>(rc);
        result.error = wintext::SystemMessage(rc);
        return result;
    }
    const auto views = QueryUnicodeViews();
    for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
        AdapterRecord r;
        const auto view = views.find(a->Index);
        r.description = view != views.end() && !view->second.description.empty()
                            ? view->second.description
                            : wintext::Utf8FromCodePage(a->Description, CP_ACP);
        r.ipAddress = Quad(a->IpAddressList.IpAddress.String);
        r.subnetMask = Quad(a->IpAddressList.IpMask.String);
        r.gateway = Quad(a->GatewayList.IpAddress.String);
        if (view != views.end()) r.dnsServers = view->second.dnsServers;
        r.dhcpEnabled = a->DhcpEnabled != 0;
        if (r.dhcpEnabled) {
            r.dhcpServer = Quad(a->DhcpServer.IpAddress.String);
            r.leaseExpires = LeaseTime(a->LeaseExpires);
        }
        r.physicalAddress =
            Mac(a->Address, std::min<UINT>(a->AddressLength, MAX_ADAPTER_ADDRESS_LENGTH));
        r.type = TypeName(a->Type);
        r.osName = a->AdapterName;
        r.osIndex = a->Index;
        result.adapters.push_back(std::move(r));
    }
    std::stable_sort(
        result.adapters.begin(), result.adapters.end(),
        [](const AdapterRecord& x, const AdapterRecord& y) { return x.osIndex < y.osIndex; });
    return result;
}
