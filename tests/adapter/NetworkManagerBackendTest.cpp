// The NetworkManager backend of the management interface, against a NetworkManager confined to a
// namespace of its own (see NmLab): nothing here touches the machine's adapters.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "adapter/ManagementInterface.h"
#include "adapter/NmManagement.h"
#include "adapter/uNIC.h"
#include "netcomp/adapters/NmAdapterService.h"
#include "tests/adapter/NicControls.h"
#include "tests/support/NmLab.h"
#include "tests/support/Root.h"

namespace {}  // namespace

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

// One profile update and one activation per action, each step reported made.
TEST(NetworkManagerBackend, StaticThenBackToDhcp) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    ExpectLease(Read(lab));
    auto mi = CreateManagementInterface();
    EXPECT_EQ(mi->IPEnabledDescriptions(), std::vector<std::string>{NmLab::kIface});
    lab.startBusMonitor();
    const StaticResult fixed =
        mi->ApplyStatic("nm0", {"10.77.0.20", "255.255.255.0", NmLab::kServer, "10.77.0.1",
                                "10.77.0.2"});  // a part of the name matches
    EXPECT_EQ(fixed.matched, NmLab::kIface);
    for (const StepResult* step : {&fixed.address, &fixed.gateway, &fixed.dns})
        EXPECT_TRUE(step->done()) << step->reason;
    EXPECT_EQ(lab.busCalls("Update"), 1);
    EXPECT_EQ(lab.busCalls("ActivateConnection"), 1);
    const Shown shown = Read(lab);
    EXPECT_EQ(shown.ip, "10.77.0.20");
    EXPECT_EQ(shown.mask, "255.255.255.0");
    EXPECT_EQ(shown.gateway, NmLab::kServer)
        << lab.ns().out("ip route; ip rule; ip route show table all | grep default");
    EXPECT_EQ(shown.dns, "10.77.0.1 10.77.0.2");
    EXPECT_FALSE(shown.dhcp);
    EXPECT_EQ(shown.server, "");
    EXPECT_EQ(shown.expires, "");

    lab.startBusMonitor();
    const DhcpResult dhcp = mi->SwitchToDhcp(NmLab::kIface);
    EXPECT_TRUE(dhcp.dhcp.done()) << dhcp.dhcp.reason;
    EXPECT_TRUE(dhcp.dns.done()) << dhcp.dns.reason;
    EXPECT_EQ(dhcp.noLease, "");
    EXPECT_EQ(lab.busCalls("Update"), 1);
    EXPECT_EQ(lab.busCalls("ActivateConnection"), 1);
    const Shown leased = Read(lab);
    ExpectLease(leased);
    EXPECT_EQ(leased.dns, NmLab::kServer);  // only what the server gives

    EXPECT_EQ(mi->ApplyStatic("vtnm9", {}).matched, "");
    EXPECT_EQ(mi->SwitchToDhcp("").matched, "");
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

// Values NetworkManager cannot take are refused at their own step, in words and without a
// code; the steps before it are made in one activation, nothing after it.
TEST(NetworkManagerBackend, RefusedValuesAreRefusedAtTheirStep) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    auto mi = CreateManagementInterface();
    using O = StepResult::Outcome;
    struct Case {
        const char* what;
        StaticAddressing values;
        O address, gateway, dns;
        const char* reason;
    } cases[] = {
        {"address",
         {"10.77.0", "255.255.255.0", "10.77.0.1", "10.77.0.1", "10.77.0.2"},
         O::Refused,
         O::NotTried,
         O::NotTried,
         "not an IPv4 address: \"10.77.0\""},
        {"mask",
         {"10.77.0.20", "255.0.255.0", "10.77.0.1", "10.77.0.1", "10.77.0.2"},
         O::Refused,
         O::NotTried,
         O::NotTried,
         "not a contiguous subnet mask: \"255.0.255.0\""},
        {"gateway",
         {"10.77.0.20", "255.255.255.0", "10.77.0.256", "10.77.0.1", "10.77.0.2"},
         O::Done,
         O::Refused,
         O::NotTried,
         "not an IPv4 gateway: \"10.77.0.256\""},
        {"empty second DNS",
         {"10.77.0.21", "255.255.255.0", "10.77.0.1", "10.77.0.1", ""},
         O::Done,
         O::Done,
         O::Refused,
         "not an IPv4 DNS server address: \"\""},
    };
    for (const Case& c : cases) {
        lab.startBusMonitor();
        const StaticResult r = mi->ApplyStatic(NmLab::kIface, c.values);
        EXPECT_EQ(r.address.outcome, c.address) << c.what;
        EXPECT_EQ(r.gateway.outcome, c.gateway) << c.what;
        EXPECT_EQ(r.dns.outcome, c.dns) << c.what;
        for (const StepResult* s : {&r.address, &r.gateway, &r.dns}) {
            EXPECT_FALSE(s->code) << c.what;  // no codes borrowed from another system
            if (s->outcome == O::Refused) {
                EXPECT_EQ(s->reason, c.reason) << c.what;
            }
        }
        EXPECT_EQ(lab.busCalls("ActivateConnection"), c.address == O::Done ? 1 : 0) << c.what;
    }
    // The last run made address and gateway and left the DNS servers as they were.
    const Shown shown = Read(lab);
    EXPECT_EQ(shown.ip, "10.77.0.21");
    EXPECT_EQ(shown.gateway, "10.77.0.1");
}

TEST(NetworkManagerBackend, NetworkManagerNotRunning) {
    VT_REQUIRE_ROOT();
    NmLab lab(false);
    lab.stopNetworkManager();
    try {
        CreateManagementInterface()->IPEnabledDescriptions();
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
        CreateManagementInterface()->IPEnabledDescriptions();
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

namespace {

QStringList LogOf(TfNIC& w) {
    const NicControls ui(w);
    QStringList log;
    for (int i = 0; i < ui.LogBox->count(); ++i) log << ui.LogBox->item(i)->text();
    return log;
}

void Pick(TfNIC& w, const QString& name) {
    const NicControls ui(w);
    for (int i = 0; i < ui.lbNIC->count(); ++i)
        if (ui.lbNIC->item(i)->text() == name) ui.click(i);
}

// Ticks while a click waits: the window's event loop runs, with the hourglass and the controls
// disabled.
struct Ticks {
    explicit Ticks(TfNIC& w) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, &w] {
            ++count;
            busy = busy && !NicControls(w).btnDHCP->isEnabled() &&
                   !NicControls(w).lbNIC->isEnabled() && QApplication::overrideCursor() &&
                   QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        });
        timer.start();
    }
    QTimer timer;
    int count = 0;
    bool busy = true;
};

std::unique_ptr<TfNIC> Window(NmWaits waits = {}) {
    return std::make_unique<TfNIC>(
        nullptr, std::make_unique<TncIPInfo>(QueryAdapters, std::make_shared<NmAdapterService>()),
        CreateNetworkManagerManagement(waits));
}

}  // namespace

// "Fix IP." in one activation with its five lines, then back to DHCP: the static DNS servers go,
// the lease comes from dnsmasq.
TEST(NetworkManagerBackend, TheWindowFixesAnAddressAndGoesBackToDhcp) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    NsEnter inside(lab.ns());
    auto w = Window();
    Pick(*w, NmLab::kIface);
    NicControls(*w).edIPAddress->setEditText("10.77.0.21");
    NicControls(*w).edSubnetMask->setEditText("255.255.255.0");
    NicControls(*w).edGateway->setEditText("10.77.0.1");
    NicControls(*w).edDNS1->setEditText("10.77.0.1");
    NicControls(*w).edDNS2->setEditText("10.77.0.3");
    lab.startBusMonitor();
    {
        Ticks ticks(*w);
        QElapsedTimer took;
        took.start();
        NicControls(*w).btnFixedIP->click();
        std::printf("Fix IP.: %lld ms\n", took.elapsed());
        EXPECT_GT(ticks.count, 0) << "the event loop stood still during the wait";
        EXPECT_TRUE(ticks.busy);
    }
    EXPECT_EQ(lab.busCalls("ActivateConnection"), 1);
    EXPECT_EQ(LogOf(*w),
              QStringList({">>>>> Start Set Static-IP NIC.: vtnm0",
                           ">>> Set IP-Address: 10.77.0.21", ">>> Set IP-Gateway: 10.77.0.1",
                           ">>> Set Primary/Secoundary DNS: 10.77.0.1/10.77.0.3",
                           ">>> Set Static-IP NIC.: vtnm0Successfully..."}));
    const Shown fixed = Read(lab);
    EXPECT_EQ(fixed.ip, "10.77.0.21");
    EXPECT_EQ(fixed.gateway, "10.77.0.1");
    EXPECT_EQ(fixed.dns, "10.77.0.1 10.77.0.3");

    const auto acks = [&] {
        const std::string log = lab.dhcpLog();
        int n = 0;
        for (size_t at = log.find("DHCPACK"); at != std::string::npos;
             at = log.find("DHCPACK", at + 1))
            ++n;
        return n;
    };
    const int acksBefore = acks();
    {
        QElapsedTimer took;
        took.start();
        NicControls(*w).btnDHCP->click();
        std::printf("Enable DHCP Client: %lld ms\n", took.elapsed());
    }
    EXPECT_EQ(LogOf(*w).mid(5), QStringList({">>>>> Start Set DHCP-Client NIC.: vtnm0",
                                             ">>> Set DHCP-Client NIC: vtnm0Successfully."}));
    const Shown leased = Read(lab);
    ExpectLease(leased);
    EXPECT_EQ(leased.dns, NmLab::kServer);           // 10.77.0.3 from the static step is gone
    EXPECT_GT(acks(), acksBefore) << lab.dhcpLog();  // a lease of its own, from dnsmasq
}

// Without a DHCP server the switch is made, the wait ends at its bound and says so.
TEST(NetworkManagerBackend, EnableDhcpWithoutAServerWaitsBoundedAndSaysSo) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    lab.nmcli(std::string("con mod ") + NmLab::kIface +
              " ipv4.method manual ipv4.addresses 10.77.0.30/24 ipv4.dns 10.77.0.3");
    lab.nmcli(std::string("--wait 30 con up ") + NmLab::kIface);
    lab.stopDhcpServer();
    NsEnter inside(lab.ns());
    auto w = Window({30000, 3000});
    Pick(*w, NmLab::kIface);
    Ticks ticks(*w);
    QElapsedTimer took;
    took.start();
    NicControls(*w).btnDHCP->click();
    const qint64 ms = took.elapsed();
    std::printf("Enable DHCP Client without a server: %lld ms\n", ms);
    EXPECT_GE(ms, 3000);
    EXPECT_LT(ms, 8000);
    EXPECT_GT(ticks.count, 100);
    EXPECT_EQ(LogOf(*w),
              QStringList({">>>>> Start Set DHCP-Client NIC.: vtnm0",
                           ">>> Set DHCP-Client NIC: vtnm0Successfully.",
                           "!!!Warning: no DHCP lease arrived within 3 s: vtnm0 has no IPv4 "
                           "address yet"}));
    const Shown now = Read(lab);
    EXPECT_TRUE(now.dhcp);
    EXPECT_EQ(now.ip, "");
    EXPECT_EQ(now.dns.contains("10.77.0.3"), false);
}

// Positions are those of the filled list: an interface that appears before the picked one in the
// system's order does not change what a pick names, until the list is filled again.
TEST(NetworkManagerBackend, AnAdapterAddedAfterFillingDoesNotShiftThePick) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    NsEnter inside(lab.ns());
    auto w = Window();
    ASSERT_EQ(NicControls(*w).lbNIC->count(), 1);
    lab.addAdapter("vtad0", 3);  // lists before kIface
    NicControls(*w).click(0);
    EXPECT_TRUE(NicControls(*w).mmInfo->toPlainText().startsWith("Adapter-Name:     vtnm0"));
    EXPECT_TRUE(InPool(NicControls(*w).edIPAddress->currentText()))
        << NicControls(*w).edIPAddress->currentText().toStdString();
    auto again = Window();  // filled again
    EXPECT_EQ(NicControls(*again).lbNIC->item(0)->text(), "vtad0");
    EXPECT_EQ(NicControls(*again).lbNIC->count(), 2);
}
