#pragma once

// Qt-free DHCP lease actions on one adapter, blocking until done.
// Windows: DhcpLease_win.cpp (IP Helper IpReleaseAddress / IpRenewAddress). Linux gives and
// renews leases through its network service instead (see TncIPInfo's AdapterService).

#include <string>

struct DhcpLeaseOutcome {
    int errorCode = 0;  // 0 on success, else the OS error number
    std::string error;  // the system's reason when errorCode != 0 (UTF-8)
};

// osIndex: the adapter's OS interface index (AdapterRecord::osIndex).
DhcpLeaseOutcome ReleaseDhcpLease(unsigned osIndex);
DhcpLeaseOutcome RenewDhcpLease(unsigned osIndex);
