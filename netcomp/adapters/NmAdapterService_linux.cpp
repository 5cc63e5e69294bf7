#include <QDateTime>
#include <QStringList>

#include "netcomp/adapters/IPInfoErrors.h"
#include "netcomp/adapters/NetworkManager.h"
#include "netcomp/adapters/NmAdapterService.h"

namespace {

QString ipv4Method(NmSession& nm, const QDBusObjectPath& profile) {
    if (profile.path() == QLatin1String("/")) return {};
    return nm.settings(profile)
        .value(QStringLiteral("ipv4"))
        .value(QStringLiteral("method"))
        .toString();
}

// The device of the adapter with DHCP on in its profile; EncIPInfo otherwise.
QDBusObjectPath dhcpDevice(NmSession& nm, const AdapterRecord& adapter, QDBusObjectPath& profile) {
    const QString iface = QString::fromStdString(adapter.osName);
    const QDBusObjectPath device = nm.deviceByIface(iface);
    profile = nm.profileOf(device);
    if (ipv4Method(nm, profile) != QLatin1String("auto"))
        throw EncIPInfo(ipinfo_error::kDhcpNotEnabled,
                        QStringLiteral("DHCP is not enabled on ") + iface);
    return device;
}

template <class Action>
void withNetworkManager(Action action) {
    try {
        NmSession nm;
        action(nm);
    } catch (const NmError& e) {
        throw EncIPInfo(ipinfo_error::kNetworkManagerFailed, e.message());
    }
}

}  // namespace

void NmAdapterService::enrich(std::vector<AdapterRecord>& adapters) {
    try {
        NmSession nm;
        for (AdapterRecord& a : adapters) {
            try {
                const QDBusObjectPath device = nm.deviceByIface(QString::fromStdString(a.osName));
                if (nm.deviceState(device) <= NmSession::Unmanaged) continue;
                a.dhcpEnabled = ipv4Method(nm, nm.profileOf(device)) == QLatin1String("auto");
                const QStringList dns = nm.nameservers(device);
                if (!dns.isEmpty()) a.dnsServers = dns.join(u' ').toStdString();
                const QVariantMap lease = nm.dhcp4Options(device);
                a.dhcpServer =
                    lease.value(QStringLiteral("dhcp_server_identifier")).toString().toStdString();
                const qint64 expiry = lease.value(QStringLiteral("expiry")).toString().toLongLong();
                a.leaseExpires = expiry > 0 ? QDateTime::fromSecsSinceEpoch(expiry)
                                                  .toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                                                  .toStdString()
                                            : std::string();
            } catch (const NmError&) {
                // Not a device NetworkManager knows: the adapter keeps what the query found.
            }
        }
    } catch (const NmError&) {
        // No NetworkManager here: reading never fails, the adapters stay as queried.
    }
}

void NmAdapterService::release(const AdapterRecord& adapter) {
    withNetworkManager([&](NmSession& nm) {
        QDBusObjectPath profile;
        nm.disconnect(dhcpDevice(nm, adapter, profile));
    });
}

void NmAdapterService::renew(const AdapterRecord& adapter) {
    withNetworkManager([&](NmSession& nm) {
        QDBusObjectPath profile;
        const QDBusObjectPath device = dhcpDevice(nm, adapter, profile);
        nm.activate(profile, device);
    });
}
