#pragma once

// TncIPInfo's lease actions on Windows: the IP Helper calls of DhcpLease.h, failures raised as
// EncIPInfo with the system's reason. The adapter query already reports the DHCP state there,
// so nothing is added to the records.

#include "netcomp/adapters/TncIPInfo.h"

class DhcpLeaseService : public AdapterService {
  public:
    void release(const AdapterRecord& adapter) override;
    void renew(const AdapterRecord& adapter) override;
};
