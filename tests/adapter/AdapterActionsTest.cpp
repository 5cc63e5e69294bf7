// The adapter tool's actions on their own: scripted adapters and management interface, a list as
// the log, the window's part recorded.
#include <gtest/gtest.h>

#include "adapter/AdapterActions.h"
#include "tests/adapter/NicFakes.h"

namespace {

AdapterRecord Adapter(const std::string& description) {
    AdapterRecord a;
    a.description = a.osName = description;
    a.ipAddress = "192.168.5.10";
    return a;
}

struct ActionRun {
    std::shared_ptr<std::vector<AdapterRecord>> adapters =
        std::make_shared<std::vector<AdapterRecord>>(std::vector{Adapter("eth0")});
    std::shared_ptr<ManagementScript> script = std::make_shared<ManagementScript>();
    ScriptedIPInfo info{adapters};
    ScriptedManagement management{script};
    QStringList log;
    QStringList window;  // what the action asked of the window, in order
    AdapterActions actions{info,
                           management,
                           [this](const QString& line) { log << line; },
                           {[this](bool busy) { window << (busy ? "busy" : "idle"); },
                            [this] { window << "show"; }, [this] { window << "load"; }}};
};

}  // namespace

TEST(AdapterActions, ReleaseAndRenewShowTheAdapterAgainOnlyWhenDone) {
    ActionRun r;
    r.info.AdapterCount();
    r.actions.DHCPLease(true);
    EXPECT_EQ(r.log, QStringList(">>> DHCP Release NIC.: eth0 successfully."));
    EXPECT_EQ(r.window, QStringList({"busy", "show", "idle"}));

    r.log.clear();
    r.window.clear();
    r.info.onRelease = [] { throw EncIPInfo(11004, "NetworkManager could not release eth0"); };
    r.info.onRenew = [] { throw std::runtime_error("bus gone"); };
    r.actions.DHCPLease(true);
    r.actions.DHCPLease(false);
    EXPECT_EQ(r.log, QStringList({"!!!Error: 11004: NetworkManager could not release eth0",
                                  "!!!Error: bus gone"}));
    EXPECT_EQ(r.window, QStringList({"busy", "idle", "busy", "idle"})) << "no refresh";
}

TEST(AdapterActions, FixIpChecksInTheirOrder) {
    const QString format = "ใส่ Format IP ไม่ถูกต้อง!";
    const QString choose = "เลือก Network Interface Card";
    struct Case {
        const char* what;
        const char* name;
        QStringList fields;  // address, mask, gateway, first DNS
        QString message;     // empty: the values pass
        bool atGateway;
    } cases[] = {
        {"no adapter",
         "",
         {"192.168.0.2", "255.255.255.0", "192.168.0.1", "8.8.8.8"},
         choose,
         false},
        {"bad field before no adapter",
         "",
         {"192.168.0.256", "255.255.255.0", "192.168.0.1", "8.8.8.8"},
         format,
         false},
        {"empty mask", "eth0", {"192.168.0.2", "", "192.168.0.1", "8.8.8.8"}, format, false},
        {"empty gateway", "eth0", {"192.168.0.2", "255.255.255.0", "", "8.8.8.8"}, format, false},
        {"empty first DNS",
         "eth0",
         {"192.168.0.2", "255.255.255.0", "192.168.0.1", ""},
         format,
         false},
        {"gateway is the network",
         "eth0",
         {"192.168.0.2", "255.255.255.0", "192.168.0.0", "8.8.8.8"},
         "",
         false},
        {"gateway is the broadcast",
         "eth0",
         {"192.168.0.2", "255.255.255.0", "192.168.0.255", "8.8.8.8"},
         "",
         false},
        {"gateway is the address",
         "eth0",
         {"192.168.0.2", "255.255.255.0", "192.168.0.2", "8.8.8.8"},
         "",
         false},
        {"gateway outside",
         "eth0",
         {"192.168.0.2", "255.255.255.0", "192.168.1.1", "8.8.8.8"},
         "IP Gateway: 192.168.1.1 ไม่ได้อยู่ใน Network เดียวกับ 192.168.0.2/255.255.255.0",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto problem =
            AdapterActions::CheckStatic(c.name, c.fields[0], c.fields[1], c.fields[2], c.fields[3]);
        EXPECT_EQ(problem ? problem->message : QString(), c.message);
        EXPECT_EQ(problem && problem->atGateway, c.atGateway);
    }
}

TEST(AdapterActions, StaticAddressFailuresLogWhatWasDoneAndOneErrorLine) {
    const QString start = ">>>>> Start Set Static-IP NIC.: eth0";
    const QString ip = ">>> Set IP-Address: 192.168.0.2";
    const QString gw = ">>> Set IP-Gateway: 192.168.0.1";
    using Config = ManagementScript::Config;
    struct Case {
        const char* what;
        Config config;
        std::string connectError;
        QStringList log;
    } cases[] = {
        {"address refused",
         {"eth0", {{"EnableStatic", 70}}, {}, {}},
         "",
         {start, "!!! Error Set Static-IP: !!!Error Enable Static failed. Code: 70"}},
        {"gateway refused with 1",
         {"eth0", {{"SetGateways", 1}}, {}, {}},
         "",
         {start, ip, "!!! Error Set Static-IP: !!!Error Set Gateways failed. Code: 1"}},
        {"DNS refused",
         {"eth0", {{"SetDNSServerSearchOrder", 2147749889u}}, {}, {}},
         "",
         {start, ip, gw,
          "!!! Error Set Static-IP: !!!Error Set DNSServer failed. Code: 2147749889"}},
        {"gateway refused in words",
         {"eth0", {}, {{"SetGateways", "not an IPv4 gateway: \"x\""}}, {}},
         "",
         {start, ip,
          "!!! Error Set Static-IP: !!!Error Set Gateways failed. not an IPv4 gateway: \"x\""}},
        {"interface fails during a step",
         {"eth0",
          {},
          {},
          {{"SetDNSServerSearchOrder", "SetDNSServerSearchOrder: Not implemented"}}},
         "",
         {start, ip, gw, "!!! Error Set Static-IP: SetDNSServerSearchOrder: Not implemented"}},
        {"not found",
         {"ETH0", {}, {}, {}},
         "",
         {start,
          "!!! Error Set Static-IP: !!!ไม่พบ Network Adapter \"eth0\" ตรวจสอบการ Enable NIC."}},
        {"unreachable",
         {"eth0", {}, {}, {}},
         "NetworkManager is not running",
         {start, "!!! Error Set Static-IP: NetworkManager is not running"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ActionRun r;
        r.script->configs = {Config{"wlan0", {}, {}, {}}, c.config};
        r.script->connectError = c.connectError;
        r.actions.SetStaticIP("eth0", "192.168.0.2", "255.255.255.0", "192.168.0.1", "8.8.8.8",
                              "1.1.1.1");
        EXPECT_EQ(r.log, c.log);
        EXPECT_EQ(r.window, QStringList({"busy", "load", "idle"})) << "the list is read again";
    }
}

// Each failure line carries one error mark: a text with its own "!!!" is not prefixed again.
TEST(AdapterActions, EnableDhcpClientJudgesBothStepsAndSaysWhatHappened) {
    const QString start = ">>>>> Start Set DHCP-Client NIC.: eth0";
    const QString done = ">>> Set DHCP-Client NIC: eth0Successfully.";
    using Config = ManagementScript::Config;
    struct Case {
        const char* what;
        const char* name;
        Config config;
        std::string connectError, noLease;
        QStringList log;
    } cases[] = {
        {"empty name: nothing asked, and says so",
         "",
         {"eth0", {}, {}, {}},
         "",
         "",
         {">>>>> Start Set DHCP-Client NIC.: ", "!!!Error: เลือก Network Interface Card"}},
        {"no match",
         "eth0",
         {"wlan0", {}, {}, {}},
         "",
         "",
         {start, "!!!ไม่พบ Network Adapter \"eth0\" ตรวจสอบการ Enable NIC."}},
        {"unreachable",
         "eth0",
         {"eth0", {}, {}, {}},
         "Access denied",
         "",
         {start, "!!!Error: Access denied"}},
        {"EnableDHCP refused: the DNS servers are still cleared",
         "eth0",
         {"eth0", {{"EnableDHCP", 84}}, {}, {}},
         "",
         "",
         {start, "!!!Error Enable DHCP failed. Code: 84"}},
        {"both refused",
         "eth0",
         {"eth0", {{"EnableDHCP", 84}, {"SetDNSServerSearchOrder", 91}}, {}, {}},
         "",
         "",
         {start, "!!!Error Enable DHCP failed. Code: 84",
          "!!!Error Set DNSServer failed. Code: 91"}},
        {"refused in words",
         "eth0",
         {"eth0",
          {},
          {{"EnableDHCP", "NetworkManager could not bring up eth0: the device was removed"}},
          {}},
         "",
         "",
         {start,
          "!!!Error Enable DHCP failed. NetworkManager could not bring up eth0: "
          "the device was removed"}},
        {"the interface fails during a step",
         "eth0",
         {"eth0", {}, {}, {{"SetDNSServerSearchOrder", "bus gone"}}},
         "",
         "",
         {start, "!!!Error: bus gone"}},
        {"code 1 is made, with a restart",
         "eth0",
         {"eth0", {{"EnableDHCP", 1}}, {}, {}},
         "",
         "",
         {start, done + " (Code: 1, restart the computer to complete the change)"}},
        {"made, but no lease yet",
         "eth0",
         {"eth0", {}, {}, {}},
         "",
         "no DHCP lease arrived within 15 s: eth0 has no IPv4 address yet",
         {start, done,
          "!!!Warning: no DHCP lease arrived within 15 s: eth0 has no IPv4 address yet"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ActionRun r;
        r.script->configs = {c.config};
        r.script->connectError = c.connectError;
        r.script->noLease = c.noLease;
        r.actions.SetDHCPClient(c.name);
        EXPECT_EQ(r.log, c.log);
        if (*c.name && c.connectError.empty() && c.config.description == "eth0") {
            EXPECT_EQ(r.script->journal, QStringList({"SwitchToDhcp eth0", "EnableDHCP 0",
                                                      "SetDNSServerSearchOrder 0"}))
                << "always both";
        }
        if (!*c.name) {
            EXPECT_TRUE(r.script->journal.isEmpty());
        }
        EXPECT_EQ(r.window, QStringList({"busy", "idle"})) << "no refresh, no list rebuild";
    }
}
