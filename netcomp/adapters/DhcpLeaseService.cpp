#include "netcomp/adapters/DhcpLeaseService.h"

#include "netcomp/adapters/DhcpLease.h"

namespace {

void RaiseOnFailure(const DhcpLeaseOutcome& outcome) {
    if (outcome.errorCode)
        throw EncIPInfo(outcome.errorCode, QString::fromStdString(outcome.error));
}

}  // namespace

void DhcpLeaseService::release(const AdapterRecord& adapter) {
    RaiseOnFailure(ReleaseDhcpLease(adapter.osIndex));
}

void DhcpLeaseService::renew(const AdapterRecord& adapter) {
    RaiseOnFailure(RenewDhcpLease(adapter.osIndex));
}
