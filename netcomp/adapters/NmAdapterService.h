#pragma once

// The adapter-information component's DHCP side on Linux, from NetworkManager: for the devices it
// manages, whether DHCP is on, its DNS servers, the DHCP server and the lease expiry; and the
// lease actions.
// Release takes the device down: NetworkManager drops the lease and removes the address (it does
// not send the server a DHCPRELEASE), and the device stays down until a renew. Renew activates the
// device's profile again, which asks the server for a lease and waits until the address is there.

#include "netcomp/adapters/TncIPInfo.h"

class NmAdapterService : public AdapterService {
  public:
    void enrich(std::vector<AdapterRecord>& adapters) override;
    void release(const AdapterRecord& adapter) override;
    void renew(const AdapterRecord& adapter) override;
};
