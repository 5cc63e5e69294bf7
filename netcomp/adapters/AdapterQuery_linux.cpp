// Adapters from the kernel: links and IPv4 addresses through getifaddrs (netlink), default
// gateways from the routing table, DNS servers from the resolver configuration of the network
// namespace the calling thread is in. Loopback interfaces are not adapters and are left out.

#include <arpa/inet.h>
#include <dirent.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netpacket/packet.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "common/IPv4Text.h"
#include "netcomp/adapters/AdapterQuery.h"

namespace {

std::string Dotted(const sockaddr* sa) {
    if (!sa || sa->sa_family != AF_INET) return {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(sa);
    return FormatDottedQuad(ntohl(in->sin_addr.s_addr));
}

// "00-1A-2B-3C-4D-5E"; empty for anything but a six-byte address, or all zeros.
std::string HardwareAddress(const sockaddr_ll* ll) {
    if (ll->sll_halen != 6) return {};
    bool allZero = true;
    std::string out;
    char part[4];
    for (int i = 0; i < 6; ++i) {
        allZero = allZero && ll->sll_addr[i] == 0;
        std::snprintf(part, sizeof part, i ? "-%02X" : "%02X", ll->sll_addr[i]);
        out += part;
    }
    return allZero ? std::string() : out;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string AdapterType(const std::string& name, unsigned short hatype) {
    switch (hatype) {
        case ARPHRD_ETHER:
            return Exists("/sys/class/net/" + name + "/wireless") ? "Wireless" : "Ethernet";
        case ARPHRD_LOOPBACK:
            return "Loopback";
        case ARPHRD_PPP:
            return "PPP";
        case ARPHRD_TUNNEL:
        case ARPHRD_TUNNEL6:
        case ARPHRD_SIT:
        case ARPHRD_IPGRE:
        case ARPHRD_NONE:
            return "Tunnel";
        case ARPHRD_IEEE80211:
        case ARPHRD_IEEE80211_RADIOTAP:
            return "Wireless";
        default:
            return "Other";
    }
}

// Default gateway per interface name from the routing table of the calling thread's namespace;
// the route with the lowest metric wins.
std::map<std::string, std::string> DefaultGateways() {
    std::map<std::string, std::string> out;
    std::map<std::string, unsigned long> metrics;
    std::ifstream route("/proc/thread-self/net/route");
    std::string line;
    std::getline(route, line);  // header
    while (std::getline(route, line)) {
        std::istringstream in(line);
        std::string iface;
        unsigned long dest = 0, gw = 0, flags = 0, refcnt = 0, use = 0, metric = 0, mask = 0;
        in >> iface >> std::hex >> dest >> gw >> flags >> std::dec >> refcnt >> use >> metric >>
            std::hex >> mask;
        constexpr unsigned long kUp = 0x1, kGateway = 0x2;
        if (!in || dest != 0 || mask != 0 || (flags & (kUp | kGateway)) != (kUp | kGateway))
            continue;
        if (metrics.count(iface) && metrics[iface] <= metric) continue;
        // The table holds the gateway in network order.
        out[iface] = FormatDottedQuad(ntohl(static_cast<std::uint32_t>(gw)));
        metrics[iface] = metric;
    }
    return out;
}

// Name of the named namespace ("ip netns") the calling thread is in, or empty.
std::string NamedNetns() {
    struct stat own;
    if (::stat("/proc/thread-self/ns/net", &own) != 0) return {};
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("/run/netns"), ::closedir);
    if (!dir) return {};
    while (dirent* e = ::readdir(dir.get())) {
        if (e->d_name[0] == '.') continue;
        struct stat st;
        const std::string path = std::string("/run/netns/") + e->d_name;
        if (::stat(path.c_str(), &st) == 0 && st.st_dev == own.st_dev && st.st_ino == own.st_ino)
            return e->d_name;
    }
    return {};
}

// IPv4 name servers of one resolv.conf, blank-separated.
std::string NameServers(const std::string& path) {
    std::ifstream in(path);
    std::string line, out;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key, value;
        words >> key >> value;
        if (key != "nameserver" || !IsPlainDottedQuad(value)) continue;
        if (!out.empty()) out += ' ';
        out += value;
    }
    return out;
}

// The resolver's servers as this namespace sees them: "ip netns exec" puts
// /etc/netns/<name>/resolv.conf in place of /etc/resolv.conf; behind systemd-resolved's local
// stub the real servers are in its own copy.
std::string SystemNameServers() {
    const std::string ns = NamedNetns();
    if (!ns.empty() && Exists("/etc/netns/" + ns + "/resolv.conf"))
        return NameServers("/etc/netns/" + ns + "/resolv.conf");
    std::string servers = NameServers("/etc/resolv.conf");
    if ((servers.empty() || servers == "127.0.0.53") && ns.empty() &&
        Exists("/run/systemd/resolve/resolv.conf"))
        servers = NameServers("/run/systemd/resolve/resolv.conf");
    return servers;
}

// Per-link servers where systemd-resolved keeps them (root namespace only).
std::string LinkNameServers(unsigned index) {
    std::ifstream in("/run/systemd/resolve/netif/" + std::to_string(index));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("SERVERS=", 0) != 0) continue;
        std::istringstream words(line.substr(8));
        std::string value, out;
        while (words >> value) {
            if (!IsPlainDottedQuad(value)) continue;
            if (!out.empty()) out += ' ';
            out += value;
        }
        return out;
    }
    return {};
}

}  // namespace

AdapterQueryResult QueryAdapters() {
    AdapterQueryResult result;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        result.errorCode = errno;
        result.error = std::strerror(errno);
        return result;
    }
    std::unique_ptr<ifaddrs, void (*)(ifaddrs*)> guard(list, ::freeifaddrs);

    std::map<unsigned, AdapterRecord> byIndex;  // ordered by interface index
    std::map<std::string, unsigned> indexOf;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET) continue;
        if (a->ifa_flags & IFF_LOOPBACK) continue;
        const auto* ll = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
        AdapterRecord& r = byIndex[static_cast<unsigned>(ll->sll_ifindex)];
        r.osName = r.description = a->ifa_name;
        r.osIndex = static_cast<unsigned>(ll->sll_ifindex);
        r.physicalAddress = HardwareAddress(ll);
        r.type = AdapterType(a->ifa_name, ll->sll_hatype);
        indexOf[a->ifa_name] = r.osIndex;
    }
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        const auto it = indexOf.find(a->ifa_name);
        if (it == indexOf.end()) continue;
        AdapterRecord& r = byIndex[it->second];
        if (!r.ipAddress.empty()) continue;  // the first (primary) address counts
        r.ipAddress = Dotted(a->ifa_addr);
        r.subnetMask = Dotted(a->ifa_netmask);
    }

    const auto gateways = DefaultGateways();
    const std::string servers = SystemNameServers();
    const bool rootNamespace = NamedNetns().empty();
    for (auto& [index, r] : byIndex) {
        if (const auto gw = gateways.find(r.osName); gw != gateways.end()) r.gateway = gw->second;
        std::string own = rootNamespace ? LinkNameServers(index) : std::string();
        r.dnsServers = own.empty() ? servers : own;
        result.adapters.push_back(std::move(r));
    }
    return result;
}
