#include "TncIPInfo.h"

#include <utility>

namespace {

// Error numbers of this component.
constexpr int kNoAdapterSelected = 11001;
constexpr int kNotSupported = 11002;
constexpr int kQueryFailed = 11003;

std::shared_ptr<AdapterService>& DefaultServiceSlot() {
    static std::shared_ptr<AdapterService> service = std::make_shared<AdapterService>();
    return service;
}

}  // namespace

void AdapterService::enrich(std::vector<AdapterRecord>&) {}

void AdapterService::release(const AdapterRecord&) {
    throw EncIPInfo(kNotSupported, QStringLiteral("DHCP release is not supported here"));
}

void AdapterService::renew(const AdapterRecord&) {
    throw EncIPInfo(kNotSupported, QStringLiteral("DHCP renew is not supported here"));
}

std::shared_ptr<AdapterService> DefaultAdapterService() {
    return DefaultServiceSlot();
}

void SetDefaultAdapterService(std::shared_ptr<AdapterService> service) {
    DefaultServiceSlot() = service ? std::move(service) : std::make_shared<AdapterService>();
}

TncIPInfo::TncIPInfo(Source source, std::shared_ptr<AdapterService> service)
    : m_source(std::move(source)),
      m_service(service ? std::move(service) : DefaultAdapterService()) {
    refresh();
}

bool TncIPInfo::refresh() {
    AdapterQueryResult result = m_source();
    if (result.errorCode != 0) {
        m_adapters.clear();
        m_errorCode = result.errorCode;
        m_error = QString::fromStdString(result.error);
        return false;
    }
    m_service->enrich(result.adapters);
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
    if (!refresh())
        throw EncIPInfo(kQueryFailed, QStringLiteral("Cannot read the network adapters: ") +
                                          m_error + QStringLiteral(" (") +
                                          QString::number(m_errorCode) + u')');
    m_index = index;
}

const AdapterRecord* TncIPInfo::selected() const {
    if (m_index < 0 || m_index >= static_cast<int>(m_adapters.size())) return nullptr;
    return &m_adapters[static_cast<size_t>(m_index)];
}

QString TncIPInfo::text(std::string AdapterRecord::*field) const {
    const AdapterRecord* a = selected();
    return a ? QString::fromStdString(a->*field) : QString();
}

QString TncIPInfo::AdapterDescription() const {
    return text(&AdapterRecord::description);
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
    const AdapterRecord* a = selected();
    return a && a->dhcpEnabled;
}

void TncIPInfo::DHCPRelease() {
    const AdapterRecord* a = selected();
    if (!a) throw EncIPInfo(kNoAdapterSelected, QStringLiteral("No adapter selected"));
    m_service->release(*a);
}

void TncIPInfo::DHCPRenew() {
    const AdapterRecord* a = selected();
    if (!a) throw EncIPInfo(kNoAdapterSelected, QStringLiteral("No adapter selected"));
    m_service->renew(*a);
}
