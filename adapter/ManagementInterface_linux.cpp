// Adapter management through NetworkManager. An IP-enabled configuration is a device that
// NetworkManager manages with IPv4 not disabled, described by its interface name. An action
// builds the whole IPv4 part of the device's profile, stores it with one update and activates it
// once, so the link goes down and up once per action. Refusals carry NetworkManager's reasons in
// words; this backend has no return codes of its own.

#include <QUuid>
#include <QtEndian>
#include <bit>

#include "adapter/ManagementInterface.h"
#include "adapter/NmManagement.h"
#include "netcomp/adapters/NetworkManager.h"

namespace {

constexpr uint kDeviceTypeEthernet = 1;
constexpr uint kDeviceTypeVeth = 20;

std::string toStd(const QString& s) {
    return s.toUtf8().toStdString();
}
QString fromStd(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Prefix length of a contiguous dotted-quad mask; -1 when the text is no such mask.
int prefixOf(const std::string& mask) {
    uint be = 0;
    if (!NmAddressToUint(fromStd(mask), be)) return -1;
    const quint32 m = qFromBigEndian(be);
    const int ones = std::popcount(m);
    const quint32 contiguous = ones == 0 ? 0u : ~quint32(0) << (32 - ones);
    return m == contiguous ? ones : -1;
}

bool isAddress(const std::string& text) {
    uint unused = 0;
    return NmAddressToUint(fromStd(text), unused);
}

// Errors of the bus itself mean the interface failed, not that NetworkManager said no.
bool isBusFailure(const NmError& e) {
    return e.name().startsWith(QLatin1String("org.freedesktop.DBus.Error.")) &&
           !e.name().endsWith(QLatin1String("AccessDenied")) &&
           !e.name().endsWith(QLatin1String("InvalidArgs"));
}

// Runs an action on a new session; NetworkManager unreachable or the bus failing is the
// interface's own failure.
template <class Action>
auto guarded(Action action) {
    try {
        NmSession nm;
        return action(nm);
    } catch (const NmError& e) {
        throw ManagementError(toStd(e.message()));
    }
}

// One device that matched: its path, interface name and kind.
struct Device {
    QDBusObjectPath path;
    QString iface;
    uint type = 0;
};

class NmManagement : public ManagementInterface {
  public:
    explicit NmManagement(NmWaits waits) : m_waits(waits) {}

    std::vector<std::string> IPEnabledDescriptions() override {
        return guarded([&](NmSession& nm) {
            std::vector<std::string> result;
            for (const QDBusObjectPath& d : nm.devices())
                if (auto device = ipEnabled(nm, d, nullptr)) result.push_back(toStd(device->iface));
            return result;
        });
    }

    StaticResult ApplyStatic(const std::string& name, const StaticAddressing& v) override {
        return guarded([&](NmSession& nm) {
            StaticResult r;
            const std::optional<Device> device = find(nm, name);
            if (!device) return r;
            r.matched = toStd(device->iface);
            // Each step's values are checked in order; the IPv4 part holds the steps up to the
            // first refused one, as separate calls would have left it.
            const int prefix = prefixOf(v.mask);
            const bool addressOk = isAddress(v.address) && prefix >= 0;
            const bool gatewayOk = addressOk && isAddress(v.gateway);
            const bool dnsOk = gatewayOk && isAddress(v.dns1) && isAddress(v.dns2);
            if (!isAddress(v.address))
                r.address = StepResult::Refuse("not an IPv4 address: \"" + v.address + "\"");
            else if (!addressOk)
                r.address = StepResult::Refuse("not a contiguous subnet mask: \"" + v.mask + "\"");
            else if (!gatewayOk)
                r.gateway = StepResult::Refuse("not an IPv4 gateway: \"" + v.gateway + "\"");
            else if (!dnsOk)
                r.dns = StepResult::Refuse("not an IPv4 DNS server address: \"" +
                                           (isAddress(v.dns1) ? v.dns2 : v.dns1) + "\"");
            if (!addressOk) return r;
            r.address = apply(nm, *device, [&](QVariantMap& ipv4) {
                ipv4[QStringLiteral("method")] = QStringLiteral("manual");
                ipv4[QStringLiteral("address-data")] = QVariant::fromValue(
                    QList<QVariantMap>{{{QStringLiteral("address"), fromStd(v.address)},
                                        {QStringLiteral("prefix"), uint(prefix)}}});
                if (gatewayOk) {
                    ipv4[QStringLiteral("gateway")] = fromStd(v.gateway);
                    ipv4[QStringLiteral("route-metric")] = qlonglong(1);
                }
                if (dnsOk) {
                    uint one = 0, two = 0;
                    NmAddressToUint(fromStd(v.dns1), one);
                    NmAddressToUint(fromStd(v.dns2), two);
                    ipv4[QStringLiteral("dns")] = QVariant::fromValue(QList<uint>{one, two});
                }
            });
            // One update and one activation made them all, or none.
            if (r.address.done()) {
                if (gatewayOk) r.gateway = r.address;
                if (dnsOk) r.dns = r.address;
            }
            return r;
        });
    }

    DhcpResult SwitchToDhcp(const std::string& name) override {
        return guarded([&](NmSession& nm) {
            DhcpResult r;
            const std::optional<Device> device = find(nm, name);
            if (!device) return r;
            r.matched = toStd(device->iface);
            bool leased = false;
            const StepResult outcome = apply(
                nm, *device,
                [](QVariantMap& ipv4) {
                    ipv4[QStringLiteral("method")] = QStringLiteral("auto");
                    ipv4[QStringLiteral("address-data")] =
                        QVariant::fromValue(QList<QVariantMap>{});
                    ipv4.remove(QStringLiteral("gateway"));
                    ipv4[QStringLiteral("dns")] = QVariant::fromValue(QList<uint>{});
                },
                &leased);
            r.dhcp = outcome;
            // The cleared DNS list is part of the stored profile: made once the update was taken.
            r.dns = m_updated ? StepResult::Made() : outcome;
            if (outcome.made() && !leased)
                r.noLease = "no DHCP lease arrived within " +
                            std::to_string(m_waits.leaseMs / 1000) + " s: " + r.matched +
                            " has no IPv4 address yet";
            return r;
        });
    }

  private:
    // The first IP-enabled device whose interface name the name matches.
    std::optional<Device> find(NmSession& nm, const std::string& name) {
        for (const QDBusObjectPath& d : nm.devices())
            if (auto device = ipEnabled(nm, d, &name)) return device;
        return std::nullopt;
    }

    // The device when NetworkManager manages it with IPv4 not disabled (and, with a name given,
    // when its description matches it); a device that goes away meanwhile is none.
    std::optional<Device> ipEnabled(NmSession& nm, const QDBusObjectPath& path,
                                    const std::string* name) {
        try {
            const QVariantMap p = nm.deviceProperties(path);
            const Device device{path, p.value(QStringLiteral("Interface")).toString(),
                                p.value(QStringLiteral("DeviceType")).toUInt()};
            if (name && !DescriptionMatches(toStd(device.iface), *name)) return std::nullopt;
            if (!p.value(QStringLiteral("Managed")).toBool() ||
                p.value(QStringLiteral("State")).toUInt() < NmSession::Unavailable)
                return std::nullopt;
            const QDBusObjectPath profile = nm.profileOf(path);
            if (profile.path() != QLatin1String("/") &&
                nm.settings(profile)
                        .value(QStringLiteral("ipv4"))
                        .value(QStringLiteral("method"))
                        .toString() == QLatin1String("disabled"))
                return std::nullopt;
            return device;
        } catch (const NmError& e) {
            if (isBusFailure(e)) throw;
            return std::nullopt;
        }
    }

    // Edits the IPv4 part of the device's profile (a new profile when it has none), stores it
    // with one update and activates it once, waiting on NetworkManager's signals. With leased
    // given, the wait goes on until the device has an address from DHCP (leaseMs at most).
    template <class Edit>
    StepResult apply(NmSession& nm, const Device& device, Edit edit, bool* leased = nullptr) {
        m_updated = false;
        try {
            QDBusObjectPath profile = nm.profileOf(device.path);
            if (profile.path() == QLatin1String("/")) {
                if (device.type != kDeviceTypeEthernet && device.type != kDeviceTypeVeth)
                    return StepResult::Refuse("no profile for " + toStd(device.iface) +
                                              " to configure");
                NmSettings fresh = newProfile(device.iface);
                edit(fresh[QStringLiteral("ipv4")]);
                profile = nm.addProfile(fresh);
            } else {
                NmSettings s = nm.settings(profile);
                QVariantMap& ipv4 = s[QStringLiteral("ipv4")];
                // The old-style lists carry their own gateway and would override ours; the
                // address-data and route-data beside them say the same.
                ipv4.remove(QStringLiteral("addresses"));
                ipv4.remove(QStringLiteral("routes"));
                edit(ipv4);
                nm.update(profile, s);
            }
            m_updated = true;
            const QDBusObjectPath active = nm.startActivation(profile, device.path);
            if (!leased) {
                if (!nm.waitActivated(active, device.path, m_waits.activationMs))
                    return StepResult::Refuse("NetworkManager did not bring up " +
                                              toStd(device.iface) + " within " +
                                              std::to_string(m_waits.activationMs / 1000) + " s");
                return StepResult::Made();
            }
            uint state = 0;
            *leased = nm.waitUntil(
                [&] {
                    state = nm.activeState(active);
                    // Activated and leased: the address and routes are in place then (the
                    // profile counts as activated early when IPv6 comes up first).
                    return state >= 3 || (state == 2 && hasLease(nm, device.path, active));
                },
                m_waits.leaseMs);
            if (state >= 3) {
                *leased = false;
                return StepResult::Refuse("NetworkManager could not bring up " +
                                          toStd(device.iface) + ": " +
                                          toStd(nm.readableReason(device.path)));
            }
            return StepResult::Made();
        } catch (const NmError& e) {
            if (isBusFailure(e)) return StepResult::Fail(toStd(e.message()));
            return StepResult::Refuse(toStd(e.message()));
        }
    }

    // The device runs this activation and holds an address from a DHCP lease.
    static bool hasLease(NmSession& nm, const QDBusObjectPath& device,
                         const QDBusObjectPath& active) {
        if (nm.activeConnection(device) != active) return false;
        return !nm.dhcp4Options(device).value(QStringLiteral("ip_address")).toString().isEmpty();
    }

    static NmSettings newProfile(const QString& iface) {
        NmSettings s;
        s[QStringLiteral("connection")] = {
            {QStringLiteral("id"), iface},
            {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
            {QStringLiteral("type"), QStringLiteral("802-3-ethernet")},
            {QStringLiteral("interface-name"), iface}};
        s[QStringLiteral("802-3-ethernet")] = QVariantMap{};
        s[QStringLiteral("ipv4")] = {{QStringLiteral("method"), QStringLiteral("auto")}};
        return s;
    }

    NmWaits m_waits;
    bool m_updated = false;  // the last apply stored its profile
};

}  // namespace

std::unique_ptr<ManagementInterface> CreateNetworkManagerManagement(NmWaits waits) {
    return std::make_unique<NmManagement>(waits);
}

std::unique_ptr<ManagementInterface> CreateManagementInterface() {
    return CreateNetworkManagerManagement({});
}
