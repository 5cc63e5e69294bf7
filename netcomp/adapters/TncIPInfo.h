#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "netcomp/NetComponent.h"
#include "netcomp/adapters/AdapterQuery.h"

// What the adapter query alone cannot tell or do: the DHCP state of each adapter (enabled,
// server, lease expiry) and the DHCP lease actions. A network-service backend supplies it; the
// default fills in nothing and refuses the actions.
class AdapterService {
  public:
    virtual ~AdapterService() = default;
    // Adds what the service knows to the freshly queried adapters (same order, same count).
    virtual void enrich(std::vector<AdapterRecord>& adapters);
    // Release or renew the lease of one adapter, blocking until done; throw EncIPInfo on failure.
    virtual void release(const AdapterRecord& adapter);
    virtual void renew(const AdapterRecord& adapter);
};

// The service every new TncIPInfo uses unless given its own (nullptr restores the default).
std::shared_ptr<AdapterService> DefaultAdapterService();
void SetDefaultAdapterService(std::shared_ptr<AdapterService> service);

// The machine's network adapters. Reading AdapterCount takes a snapshot of the adapters from the
// OS in a fixed order (ascending OS interface index); the positions stay those of the snapshot
// until AdapterCount is read again, so an index from a list filled in that order selects the same
// adapter even when adapters come and go meanwhile. The description comes from the snapshot; the
// other properties of the selected adapter are read again from the OS (and its network service)
// at the first read after each AdapterIndex write or lease action, for that adapter alone; one
// that has gone meanwhile reads with no addressing.
// Reading never fails: without a selected adapter (an index outside 0..AdapterCount-1 is
// accepted and selects none) every property is empty, false or 0. Writing AdapterIndex takes a
// snapshot when there is none, and raises EncIPInfo only when the OS cannot list its adapters.
class TncIPInfo : public TncComponent {
  public:
    using Source = std::function<AdapterQueryResult()>;

    // source: where adapters come from (the OS by default); service: DHCP state and actions.
    explicit TncIPInfo(Source source = QueryAdapters,
                       std::shared_ptr<AdapterService> service = DefaultAdapterService());

    virtual int AdapterCount();
    virtual int AdapterIndex() const { return m_index; }
    virtual void setAdapterIndex(int index);

    virtual QString AdapterDescription() const;
    virtual QString AdapterIPAddress() const;
    virtual QString AdapterSubnetMask() const;
    virtual QString AdapterGateway() const;
    virtual QString AdapterDNSServers() const;
    virtual QString AdapterDHCPServer() const;
    virtual QString AdapterLeaseExpires() const;
    virtual QString AdapterPhysicalAddress() const;
    virtual QString AdapterType() const;
    virtual bool AdapterDHCPEnabled() const;

    // Release or renew the selected adapter's DHCP lease; EncIPInfo when none is selected or the
    // service fails.
    virtual void DHCPRelease();
    virtual void DHCPRenew();

  private:
    // Takes a new snapshot; false (with the reason kept) when the OS query failed.
    bool refresh();
    // The selected adapter of the snapshot, nullptr when none.
    const AdapterRecord* selected() const;
    // The selected adapter as the OS reports it now (read once per selection).
    const AdapterRecord* details() const;
    QString text(std::string AdapterRecord::*field) const;

    Source m_source;
    std::shared_ptr<AdapterService> m_service;
    std::vector<AdapterRecord> m_adapters;  // the snapshot
    bool m_taken = false;                   // a snapshot was taken (successfully)
    int m_index = 0;
    int m_errorCode = 0;
    QString m_error;
    mutable std::optional<AdapterRecord> m_details;  // of m_index, until the next selection
};
