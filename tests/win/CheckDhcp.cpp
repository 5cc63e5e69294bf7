// DHCP lease release / renewal of one adapter, by interface index.
#include <cstdio>
#include <string>

#include "netcomp/adapters/DhcpLease.h"
#include "tests/win/WinCheck.h"

// args: release|renew osIndex
int Dhcp(const Args& a) {
    if (a.size() != 2 || (a[0] != "release" && a[0] != "renew")) {
        std::printf("usage: dhcp release|renew osIndex\n");
        return 2;
    }
    const unsigned index = static_cast<unsigned>(std::stoul(a[1]));
    const DhcpLeaseOutcome r = a[0] == "release" ? ReleaseDhcpLease(index) : RenewDhcpLease(index);
    if (r.errorCode) {
        std::printf("%s failed %d: %s\n", a[0].c_str(), r.errorCode, r.error.c_str());
        return 1;
    }
    std::printf("%s done\n", a[0].c_str());
    return 0;
}
