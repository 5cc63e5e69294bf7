#include "netcomp/adapters/TncIPInfo.h"

#include <utility>

#include "netcomp/adapters/IPInfoErrors.h"

namespace {

std::shared_ptr<AdapterService>& DefaultServiceSlot() {
    static std::shared_ptr<AdapterService> service = std::make_shared<AdapterService>();
    return service;
}

}  // namespace

void AdapterService::enrich(std::vector<AdapterRecord>&) {}

void AdapterService::release(const AdapterRecord&) {
    throw EncIPInfo(ipinfo_error::kNotSupported,
                    QStringLiteral("DHCP release is not supported here"));
}

void AdapterService::renew(const AdapterRecord&) {
    throw EncIPInfo(ipinfo_error::kNotSupported,
                    QStringLiteral("DHCP renew is not supported here"));
}

std::shared_ptr<AdapterService> DefaultAdapterService() {
    return DefaultServiceSlot();
}

void SetDefaultAdapterService(std::shared_ptr<AdapterService> service) {
    DefaultServiceSlot() = service ? std::move(service) : std::make_shared<AdapterService>();
}

TncIPInfo::TncIPInfo(Source source, std::shared_ptr<AdapterService> service)
    : m_source(std::move(source)),
      m_service(service ? std::move(service) : DefaultAdapterService()) {}

bool TncIPInfo::refresh() {
    m_details.reset();
    AdapterQueryResult result = m_source();
    m_taken = result.errorCode == 0;
    if (!m_taken) {
        m_adapters.clear();
        m_errorCode = result.errorCode;
        m_error = QString::fromStdString(result.error);
        return false;
    }
    m_adapters = std::move(result.adapters);
    m_errorCode = 0;
    m_error.clear();
    return true;
}

int TncIPInfo::AdapterCount() {
    refresh();
    return static_cast<int>(m_adapters.size());
}

void TncIPInfo::setAdapterIndex(int index) {
    if (!m_taken && !refresh())
        throw EncIPInfo(ipinfo_error::kQueryFailed,
                        QStringLiteral("Cannot read the network adapters: ") + m_error +
                            QStringLiteral(" (") + QString::number(m_errorCode) + u')');
    m_index = index;
    m_details.reset();
}

const AdapterRecord* TncIPInfo::selected() const {
    if (m_index < 0 || m_index >= static_cast<int>(m_adapters.size())) return nullptr;
    return &m_adapters[static_cast<size_t>(m_index)];
}

const AdapterRecord* TncIPInfo::details() const {
    const AdapterRecord* a = selected();
    if (!a) return nullptr;
    if (m_details) return &*m_details;
    AdapterQueryResult now = m_source();
    if (now.errorCode != 0) return a;  // reading never fails: the snapshot's values stand
    // The same adapter by the OS's name and index; where those repeat, the one at the same place.
    const auto same = [a](const AdapterRecord& r) {
        return r.osIndex == a->osIndex && r.osName == a->osName;
    };
    std::vector<AdapterRecord> one;
    const auto at = static_cast<size_t>(m_index);
    if (at < now.adapters.size() && same(now.adapters[at])) {
        one.push_back(std::move(now.adapters[at]));
    } else {
        for (AdapterRecord& r : now.adapters)
            if (same(r)) {
                one.push_back(std::move(r));
                break;
            }
    }
    if (one.empty()) {
        // Gone since the snapshot: still named, with no addressing.
        AdapterRecord gone;
        gone.description = a->description;
        gone.physicalAddress = a->physicalAddress;
        gone.type = a->type;
        gone.osName = a->osName;
        gone.osIndex = a->osIndex;
        one.push_back(std::move(gone));
    } else {
        m_service->enrich(one);
    }
    m_details = std::move(one.front());
    m_details->description = a->description;  // the list's name for it stays
    return &*m_details;
}

QString TncIPInfo::text(std::string AdapterRecord::*field) const {
    const AdapterRecord* a = details();
    return a ? QString::fromStdString(a->*field) : QString();
}

QString TncIPInfo::AdapterDescription() const {
    const AdapterRecord* a = selected();  // the snapshot's: filling a list reads no details
    return a ? QString::fromStdString(a->description) : QString();
}
QString TncIPInfo::AdapterIPAddress() const {
    return text(&AdapterRecord::ipAddress);
}
QString TncIPInfo::AdapterSubnetMask() const {
    return text(&AdapterRecord::subnetMask);
}
QString TncIPInfo::AdapterGateway() const {
    return text(&AdapterRecord::gateway);
}
QString TncIPInfo::AdapterDNSServers() const {
    return text(&AdapterRecord::dnsServers);
}
QString TncIPInfo::AdapterDHCPServer() const {
    return text(&AdapterRecord::dhcpServer);
}
QString TncIPInfo::AdapterLeaseExpires() const {
    return text(&AdapterRecord::leaseExpires);
}
QString TncIPInfo::AdapterPhysicalAddress() const {
    return text(&AdapterRecord::physicalAddress);
}
QString TncIPInfo::AdapterType() const {
    return text(&AdapterRecord::type);
}
bool TncIPInfo::AdapterDHCPEnabled() const {
    const AdapterRecord* a = details();
    return a && a->dhcpEnabled;
}

void TncIPInfo::DHCPRelease() {
    const AdapterRecord* a = selected();
    if (!a)
        throw EncIPInfo(ipinfo_error::kNoAdapterSelected, QStringLiteral("No adapter selected"));
    m_details.reset();  // shown again afterwards with what the lease left
    m_service->release(*a);
}

void TncIPInfo::DHCPRenew() {
    const AdapterRecord* a = selected();
    if (!a)
        throw EncIPInfo(ipinfo_error::kNoAdapterSelected, QStringLiteral("No adapter selected"));
    m_details.reset();
    m_service->renew(*a);
}
