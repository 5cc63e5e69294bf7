// Adapter management through NetworkManager. An IP-enabled configuration is a device that
// NetworkManager manages with IPv4 not disabled; configuring it edits the IPv4 part of the
// device's profile and activates the profile again.
// Codes follow the management interface of the other platform where one fits:
//   66 invalid subnet mask, 70 invalid IP address, 71 invalid gateway,
//   84 the device or its profile is gone, 91 NetworkManager refused permission,
//   68 NetworkManager refused the values, 65 anything else (activation failed, ...).

#include <QUuid>
#include <QtEndian>
#include <algorithm>
#include <bit>

#include "ManagementInterface.h"
#include "NetworkManager.h"

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

// Errors of the bus itself mean the interface failed, not that NetworkManager said no.
bool isBusFailure(const NmError& e) {
    return e.name().startsWith(QLatin1String("org.freedesktop.DBus.Error.")) &&
           !e.name().endsWith(QLatin1String("AccessDenied")) &&
           !e.name().endsWith(QLatin1String("InvalidArgs"));
}

std::uint32_t codeFor(const NmError& e) {
    const QString& n = e.name();
    if (n.endsWith(QLatin1String("PermissionDenied")) || n.endsWith(QLatin1String("AccessDenied")))
        return 91;
    if (n.contains(QLatin1String("Unknown")) &&
        !n.startsWith(QLatin1String("org.freedesktop.DBus")))
        return 84;
    if (n.contains(QLatin1String("Invalid"))) return 68;
    return 65;
}

class NmConfiguration : public AdapterConfiguration {
  public:
    NmConfiguration(std::shared_ptr<NmSession> session, QDBusObjectPath device, QString iface,
                    uint type)
        : m_session(std::move(session)),
          m_device(std::move(device)),
          m_iface(std::move(iface)),
          m_type(type) {}

    std::string Description() override { return toStd(m_iface); }

    std::uint32_t EnableStatic(const std::vector<std::string>& addresses,
                               const std::vector<std::string>& masks) override {
        if (addresses.empty() || addresses.size() != masks.size())
            return refuse(68, "EnableStatic needs one mask for each address");
        QList<QVariantMap> data;
        for (size_t i = 0; i < addresses.size(); ++i) {
            uint unused = 0;
            if (!NmAddressToUint(fromStd(addresses[i]), unused))
                return refuse(70, "not an IPv4 address: " + addresses[i]);
            const int prefix = prefixOf(masks[i]);
            if (prefix < 0) return refuse(66, "not a contiguous subnet mask: " + masks[i]);
            data.append({{QStringLiteral("address"), fromStd(addresses[i])},
                         {QStringLiteral("prefix"), uint(prefix)}});
        }
        return apply([&](QVariantMap& ipv4) {
            ipv4[QStringLiteral("method")] = QStringLiteral("manual");
            ipv4[QStringLiteral("address-data")] = QVariant::fromValue(data);
        });
    }

    std::uint32_t SetGateways(const std::vector<std::string>& gateways,
                              const std::vector<std::uint16_t>& metrics) override {
        // NetworkManager keeps one default gateway per profile: the first one counts.
        uint unused = 0;
        if (!gateways.empty() && !NmAddressToUint(fromStd(gateways.front()), unused))
            return refuse(71, "not an IPv4 gateway: " + gateways.front());
        return apply([&](QVariantMap& ipv4) {
            if (gateways.empty())
                ipv4.remove(QStringLiteral("gateway"));
            else
                ipv4[QStringLiteral("gateway")] = fromStd(gateways.front());
            if (!metrics.empty()) ipv4[QStringLiteral("route-metric")] = qlonglong(metrics.front());
        });
    }

    std::uint32_t SetDNSServerSearchOrder(
        const std::optional<std::vector<std::string>>& servers) override {
        QList<uint> dns;
        for (const std::string& s : servers.value_or(std::vector<std::string>{})) {
            uint value = 0;
            if (!NmAddressToUint(fromStd(s), value))
                return refuse(70, "not an IPv4 DNS server address: \"" + s + "\"");
            dns.append(value);
        }
        return apply(
            [&](QVariantMap& ipv4) { ipv4[QStringLiteral("dns")] = QVariant::fromValue(dns); });
    }

    std::uint32_t EnableDHCP() override {
        return apply([](QVariantMap& ipv4) {
            ipv4[QStringLiteral("method")] = QStringLiteral("auto");
            ipv4[QStringLiteral("address-data")] = QVariant::fromValue(QList<QVariantMap>{});
            ipv4.remove(QStringLiteral("gateway"));
        });
    }

    std::string LastError() override { return m_lastError; }

  private:
    std::uint32_t refuse(std::uint32_t code, const std::string& why) {
        m_lastError = why;
        return code;
    }

    // Edits the IPv4 part of the device's profile (a new profile when it has none), stores it
    // and activates it. NetworkManager's refusals become codes; a failing bus is thrown.
    template <class Edit>
    std::uint32_t apply(Edit edit) {
        m_lastError.clear();
        try {
            QDBusObjectPath profile = m_session->profileOf(m_device);
            if (profile.path() == QLatin1String("/")) {
                if (m_type != kDeviceTypeEthernet && m_type != kDeviceTypeVeth)
                    return refuse(84, "no profile for " + toStd(m_iface) + " to configure");
                NmSettings fresh = newProfile();
                edit(fresh[QStringLiteral("ipv4")]);
                profile = m_session->addProfile(fresh);
            } else {
                NmSettings s = m_session->settings(profile);
                QVariantMap& ipv4 = s[QStringLiteral("ipv4")];
                // The old-style lists carry their own gateway and would override ours; the
                // address-data and route-data beside them say the same.
                ipv4.remove(QStringLiteral("addresses"));
                ipv4.remove(QStringLiteral("routes"));
                edit(ipv4);
                m_session->update(profile, s);
            }
            m_session->activate(profile, m_device);
            return 0;
        } catch (const NmError& e) {
            if (isBusFailure(e)) throw ManagementError(toStd(e.message()));
            return refuse(codeFor(e), toStd(e.message()));
        }
    }

    NmSettings newProfile() const {
        NmSettings s;
        s[QStringLiteral("connection")] = {
            {QStringLiteral("id"), m_iface},
            {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
            {QStringLiteral("type"), QStringLiteral("802-3-ethernet")},
            {QStringLiteral("interface-name"), m_iface}};
        s[QStringLiteral("802-3-ethernet")] = QVariantMap{};
        s[QStringLiteral("ipv4")] = {{QStringLiteral("method"), QStringLiteral("auto")}};
        return s;
    }

    std::shared_ptr<NmSession> m_session;
    QDBusObjectPath m_device;
    QString m_iface;
    uint m_type;
    std::string m_lastError;
};

class NmEnumerator : public ConfigurationEnumerator {
  public:
    explicit NmEnumerator(std::shared_ptr<NmSession> session)
        : m_session(std::move(session)), m_devices(m_session->devices()) {}

    std::unique_ptr<AdapterConfiguration> Next() override {
        while (m_next < m_devices.size()) {
            const QDBusObjectPath device = m_devices[m_next++];
            try {
                if (auto config = ipEnabled(device)) return config;
            } catch (const NmError& e) {
                if (isBusFailure(e)) throw ManagementError(toStd(e.message()));
                // The device went away while we looked at it: not an IP-enabled adapter.
            }
        }
        return nullptr;
    }

  private:
    std::unique_ptr<AdapterConfiguration> ipEnabled(const QDBusObjectPath& device) {
        const QString dev = QStringLiteral("org.freedesktop.NetworkManager.Device");
        if (!m_session->property(device, dev, QStringLiteral("Managed")).toBool()) return nullptr;
        if (m_session->deviceState(device) < NmSession::Unavailable) return nullptr;
        const uint type = m_session->property(device, dev, QStringLiteral("DeviceType")).toUInt();
        const QDBusObjectPath profile = m_session->profileOf(device);
        if (profile.path() != QLatin1String("/")) {
            const NmSettings s = m_session->settings(profile);
            if (s.value(QStringLiteral("ipv4")).value(QStringLiteral("method")).toString() ==
                QLatin1String("disabled"))
                return nullptr;
        }
        return std::make_unique<NmConfiguration>(m_session, device, m_session->iface(device), type);
    }

    std::shared_ptr<NmSession> m_session;
    QList<QDBusObjectPath> m_devices;
    qsizetype m_next = 0;
};

class NmConnection : public ManagementConnection {
  public:
    NmConnection() : m_session(std::make_shared<NmSession>()) {}
    std::unique_ptr<ConfigurationEnumerator> QueryIPEnabled() override {
        try {
            return std::make_unique<NmEnumerator>(m_session);
        } catch (const NmError& e) {
            throw ManagementError(toStd(e.message()));
        }
    }

  private:
    std::shared_ptr<NmSession> m_session;
};

class NmManagement : public ManagementInterface {
  public:
    std::unique_ptr<ManagementConnection> Connect() override {
        try {
            return std::make_unique<NmConnection>();
        } catch (const NmError& e) {
            throw ManagementError(toStd(e.message()));
        }
    }
};

}  // namespace

std::unique_ptr<ManagementInterface> CreateManagementInterface() {
    return std::make_unique<NmManagement>();
}
