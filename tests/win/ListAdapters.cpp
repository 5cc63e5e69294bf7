// Adapter enumeration as the adapter tool sees it; one line per adapter, fields separated by '|'.
#include <cstdio>

#include "netcomp/adapters/AdapterQuery.h"
#include "tests/win/WinCheck.h"

int ListAdapters(const Args&) {
    const AdapterQueryResult r = QueryAdapters();
    if (r.errorCode) {
        std::printf("error %d: %s\n", r.errorCode, r.error.c_str());
        return 1;
    }
    std::printf("adapters: %zu\n", r.adapters.size());
    for (const auto& a : r.adapters)
        std::printf(
            "adapter|index=%u|desc=%s|ip=%s|mask=%s|gw=%s|dns=%s|dhcp=%d|dhcpserver=%s|lease=%s|"
            "mac=%s|type=%s|name=%s\n",
            a.osIndex, a.description.c_str(), a.ipAddress.c_str(), a.subnetMask.c_str(),
            a.gateway.c_str(), a.dnsServers.c_str(), a.dhcpEnabled, a.dhcpServer.c_str(),
            a.leaseExpires.c_str(), a.physicalAddress.c_str(), a.type.c_str(), a.osName.c_str());
    return 0;
}
