// DHCP lease release and renewal through the IP Helper API. Both calls take the adapter's
// entry of the interface table (index and name), found here by interface index.
#include <winsock2.h>
// winsock2 before the IP Helper headers.
#include <iphlpapi.h>
#include <windows.h>

#include <vector>

#include "common/WinText.h"
#include "netcomp/adapters/DhcpLease.h"

namespace {

DhcpLeaseOutcome Failure(DWORD code, std::string reason) {
    return {static_cast<int>(code), std::move(reason)};
}

template <class Action>
DhcpLeaseOutcome OnAdapter(unsigned osIndex, Action action) {
    ULONG size = 0;
    DWORD rc = GetInterfaceInfo(nullptr, &size);
    if (rc == ERROR_NO_DATA) rc = ERROR_NOT_FOUND;
    if (rc != ERROR_INSUFFICIENT_BUFFER) return Failure(rc, wintext::SystemMessage(rc));
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<IP_INTERFACE_INFO*>(buffer.data());
    rc = GetInterfaceInfo(table, &size);
    if (rc != NO_ERROR) return Failure(rc, wintext::SystemMessage(rc));
    for (LONG i = 0; i < table->NumAdapters; ++i) {
        if (table->Adapter[i].Index != osIndex) continue;
        rc = action(&table->Adapter[i]);
        if (rc != NO_ERROR) return Failure(rc, wintext::SystemMessage(rc));
        return {};
    }
    return Failure(ERROR_NOT_FOUND,
                   "No adapter with interface index " + std::to_string(osIndex) + ".");
}

}  // namespace

DhcpLeaseOutcome ReleaseDhcpLease(unsigned osIndex) {
    return OnAdapter(osIndex, [](IP_ADAPTER_INDEX_MAP* a) { return IpReleaseAddress(a); });
}

DhcpLeaseOutcome RenewDhcpLease(unsigned osIndex) {
    return OnAdapter(osIndex, [](IP_ADAPTER_INDEX_MAP* a) { return IpRenewAddress(a); });
}
