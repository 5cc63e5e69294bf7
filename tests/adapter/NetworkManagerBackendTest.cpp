// The NetworkManager backend of the management interface, against a NetworkManager confined to a
// namespace of its own (see NmLab): nothing here touches the machine's adapters.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTime>
#include <QListWidget>
#include <QPushButton>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "ManagementInterface.h"
#include "NmAdapterService.h"
#include "NmLab.h"
#include "Root.h"
#include "uNIC.h"

namespace {

std::unique_ptr<AdapterConfiguration> FindConfiguration(ManagementConnection& c,
                                                        const std::string& name) {
    auto e = c.QueryIPEnabled();
    while (auto config = e->Next())
        if (config->Description().find(name) != std::string::npos) return config;
    return nullptr;
}

std::string Addresses(const NmLab& lab) {
    return lab.ns().out(std::string("ip -4 -o addr show dev ") + NmLab::kIface);
}

}  // namespace

// The lab's adapter as the adapter-information component reports it, with NetworkManager's
// DHCP data; read from inside the lab's namespace.
struct Shown {
    QString ip, mask, gateway, dns, server, expires;
    bool dhcp = false;
};

Shown Read(const NmLab& lab) {
    NsEnter inside(lab.ns());
    TncIPInfo info(QueryAdapters, std::make_shared<NmAdapterService>());
    for (int i = 0; i < info.AdapterCount(); ++i) {
        info.setAdapterIndex(i);
        if (info.AdapterDescription() == NmLab::kIface)
            return {info.AdapterIPAddress(),  info.AdapterSubnetMask(), info.AdapterGateway(),
                    info.AdapterDNSServers(), info.AdapterDHCPServer(), info.AdapterLeaseExpires(),
                    info.AdapterDHCPEnabled()};
    }
    ADD_FAILURE() << "no adapter " << NmLab::kIface;
    return {};
}

bool InPool(const QString& ip) {
    return ip.startsWith(NmLab::kPool) && ip.mid(int(strlen(NmLab::kPool))).toInt() >= 50 &&
           ip.mid(int(strlen(NmLab::kPool))).toInt() <= 99;
}

void ExpectLease(const Shown& s) {
    EXPECT_TRUE(InPool(s.ip)) << s.ip.toStdString();
    EXPECT_TRUE(s.dhcp);
    EXPECT_EQ(s.server, NmLab::kServer);
    EXPECT_EQ(s.gateway, NmLab::kServer);
    // dnsmasq's shortest lease: two minutes from now, to the second.
    const QDateTime expires = QDateTime::fromString(s.expires, "dd/MM/yyyy HH:mm:ss");
    ASSERT_TRUE(expires.isValid()) << s.expires.toStdString();
    const qint64 left = QDateTime::currentDateTime().secsTo(expires);
    EXPECT_GT(left, 60);
    EXPECT_LE(left, 121);
}

TEST(NetworkManagerBackend, StaticThenBackToDhcp) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    ExpectLease(Read(lab));
    auto mi = CreateManagementInterface();
    auto connection = mi->Connect();
    auto config = FindConfiguration(*connection, NmLab::kIface);
    ASSERT_TRUE(config);

    ASSERT_EQ(config->EnableStatic({"10.77.0.20"}, {"255.255.255.0"}), 0u) << config->LastError();
    ASSERT_EQ(config->SetGateways({NmLab::kServer}, {1}), 0u) << config->LastError();
    ASSERT_EQ(config->SetDNSServerSearchOrder(std::vector<std::string>{"10.77.0.1", "10.77.0.2"}),
              0u)
        << config->LastError();
    const Shown fixed = Read(lab);
    EXPECT_EQ(fixed.ip, "10.77.0.20");
    EXPECT_EQ(fixed.mask, "255.255.255.0");
    EXPECT_EQ(fixed.gateway, NmLab::kServer)
        << lab.ns().out("ip route; ip rule; ip route show table all | grep default");
    EXPECT_EQ(fixed.dns, "10.77.0.1 10.77.0.2");
    EXPECT_FALSE(fixed.dhcp);
    EXPECT_EQ(fixed.server, "");
    EXPECT_EQ(fixed.expires, "");

    ASSERT_EQ(config->EnableDHCP(), 0u) << config->LastError();
    ASSERT_EQ(config->SetDNSServerSearchOrder(std::nullopt), 0u) << config->LastError();
    const Shown leased = Read(lab);
    ExpectLease(leased);
    EXPECT_EQ(leased.dns, NmLab::kServer);  // only what the server gives
}

TEST(NetworkManagerBackend, ReleaseAndRenew) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    NsEnter inside(lab.ns());
    TncIPInfo info(QueryAdapters, std::make_shared<NmAdapterService>());
    int index = -1;
    for (int i = 0; i < info.AdapterCount(); ++i) {
        info.setAdapterIndex(i);
        if (info.AdapterDescription() == NmLab::kIface) index = i;
    }
    ASSERT_GE(index, 0);
    info.setAdapterIndex(index);

    info.DHCPRelease();
    info.setAdapterIndex(index);
    EXPECT_EQ(info.AdapterIPAddress(), "");  // lease given up, address removed
    EXPECT_EQ(info.AdapterDHCPServer(), "");
    try {
        info.DHCPRelease();
        ADD_FAILURE() << "released twice";
    } catch (const EncIPInfo& e) {
        EXPECT_FALSE(e.description().isEmpty());
    }

    info.DHCPRenew();
    info.setAdapterIndex(index);
    EXPECT_TRUE(InPool(info.AdapterIPAddress())) << info.AdapterIPAddress().toStdString();
    EXPECT_EQ(info.AdapterDHCPServer(), NmLab::kServer);
    EXPECT_NE(lab.dhcpLog().find("DHCPACK"), std::string::npos);
}

TEST(NetworkManagerBackend, NoLeaseActionsOnAStaticAdapter) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    lab.nmcli(std::string("con mod ") + NmLab::kIface +
              " ipv4.method manual ipv4.addresses 10.77.0.30/24");
    lab.nmcli(std::string("--wait 30 con up ") + NmLab::kIface);
    NsEnter inside(lab.ns());
    TncIPInfo info(QueryAdapters, std::make_shared<NmAdapterService>());
    for (int i = 0; i < info.AdapterCount(); ++i) {
        info.setAdapterIndex(i);
        if (info.AdapterDescription() != NmLab::kIface) continue;
        for (auto action : {&TncIPInfo::DHCPRelease, &TncIPInfo::DHCPRenew}) {
            try {
                (info.*action)();
                ADD_FAILURE() << "lease action on a static adapter";
            } catch (const EncIPInfo& e) {
                EXPECT_EQ(e.description(), QString("DHCP is not enabled on ") + NmLab::kIface);
            }
        }
        EXPECT_EQ(info.AdapterIPAddress(), "10.77.0.30");
        return;
    }
    FAIL() << "no adapter " << NmLab::kIface;
}

TEST(NetworkManagerBackend, RefusedValuesGiveCodesWithReasons) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    auto connection = CreateManagementInterface()->Connect();
    auto config = FindConfiguration(*connection, NmLab::kIface);
    ASSERT_TRUE(config);
    using Dns = std::vector<std::string>;
    struct Case {
        const char* what;
        std::function<std::uint32_t()> call;
        std::uint32_t code;
    } cases[] = {
        {"address", [&] { return config->EnableStatic({"10.77.0"}, {"255.255.255.0"}); }, 70},
        {"mask", [&] { return config->EnableStatic({"10.77.0.20"}, {"255.0.255.0"}); }, 66},
        {"gateway", [&] { return config->SetGateways({"10.77.0.256"}, {1}); }, 71},
        {"empty second DNS",
         [&] {
             return config->SetDNSServerSearchOrder(Dns{"10.77.0.1", ""});
         },
         70},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.code) << c.what;
        EXPECT_FALSE(config->LastError().empty()) << c.what;
    }
    // Refused values change nothing: the lease is still there.
    EXPECT_NE(Addresses(lab).find("dynamic"), std::string::npos) << Addresses(lab);
}

TEST(NetworkManagerBackend, NetworkManagerNotRunning) {
    VT_REQUIRE_ROOT();
    NmLab lab(false);
    lab.stopNetworkManager();
    try {
        CreateManagementInterface()->Connect();
        FAIL() << "connected without NetworkManager";
    } catch (const ManagementError& e) {
        EXPECT_NE(std::string(e.what()).find("NetworkManager is not running"), std::string::npos)
            << e.what();
    }
}

TEST(NetworkManagerBackend, NoSystemBus) {
    // A bus socket that does not exist: the failure carries the bus's own message.
    const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string saved = old ? old : "";
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vt-adapter-bus", 1);
    try {
        CreateManagementInterface()->Connect();
        ADD_FAILURE() << "connected to a bus that does not exist";
    } catch (const ManagementError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot reach the system bus: "), std::string::npos)
            << e.what();
    }
    if (old)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", saved.c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

TEST(NetworkManagerBackend, TheWindowFixesAnAddressAndGoesBackToDhcp) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    NsEnter inside(lab.ns());
    TfNIC w(nullptr,
            std::make_unique<TncIPInfo>(QueryAdapters, std::make_shared<NmAdapterService>()),
            CreateManagementInterface());
    for (int i = 0; i < w.lbNIC->count(); ++i)
        if (w.lbNIC->item(i)->text() == NmLab::kIface) w.lbNIC->setCurrentRow(i);
    w.lbNICClick();
    ASSERT_EQ(w.sNICName, NmLab::kIface);
    w.edIPAddress->setEditText("10.77.0.21");
    w.edSubnetMask->setEditText("255.255.255.0");
    w.edGateway->setEditText("10.77.0.1");
    w.edDNS1->setEditText("10.77.0.1");
    w.edDNS2->setEditText("10.77.0.3");
    w.btnFixedIP->click();
    QStringList log;
    for (int i = 0; i < w.LogBox->count(); ++i) log << w.LogBox->item(i)->text();
    EXPECT_EQ(log.last(), ">>> Set Static-IP NIC.: vtnm0Successfully...")
        << log.join('\n').toStdString();
    EXPECT_EQ(Read(lab).ip, "10.77.0.21");

    w.btnDHCP->click();
    EXPECT_EQ(w.LogBox->item(w.LogBox->count() - 1)->text(),
              ">>> Set DHCP-Client NIC: vtnm0Successfully.");
    ExpectLease(Read(lab));
}
