// The adapter tool window with a scripted adapter list and a scripted management interface.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "adapter/uNIC.h"
#include "tests/adapter/NicFakes.h"
#include "tests/support/EnterInFields.h"

namespace {

AdapterRecord Adapter(const std::string& description, const std::string& ip = "192.168.5.10",
                      const std::string& mask = "255.255.255.0",
                      const std::string& gateway = "192.168.5.1",
                      const std::string& dns = "192.168.5.1 9.9.9.9") {
    AdapterRecord a;
    a.description = description;
    a.ipAddress = ip;
    a.subnetMask = mask;
    a.gateway = gateway;
    a.dnsServers = dns;
    a.physicalAddress = "00-1a-2b-3c-4d-5e";
    a.type = "Ethernet";
    a.dhcpEnabled = true;
    a.dhcpServer = "192.168.5.1";
    a.leaseExpires = "10/12/2026 01:02:03";
    a.osName = description;
    return a;
}

QStringList Items(QListWidget* list) {
    QStringList r;
    for (int i = 0; i < list->count(); ++i) r << list->item(i)->text();
    return r;
}

QStringList Items(QComboBox* combo) {
    QStringList r;
    for (int i = 0; i < combo->count(); ++i) r << combo->itemText(i);
    return r;
}

QStringList Fields(TfNIC& w) {
    return {w.edIPAddress->currentText(), w.edSubnetMask->currentText(), w.edGateway->currentText(),
            w.edDNS1->currentText(), w.edDNS2->currentText()};
}

const QStringList kInitialFields{"192.168.0.2", "255.255.255.0", "192.168.0.1", "8.8.8.8",
                                 "1.1.1.1"};

class NicWindow : public ::testing::Test {
  protected:
    std::unique_ptr<TfNIC> Open() {
        auto i = std::make_unique<ScriptedIPInfo>(adapters);
        info = i.get();
        auto w = std::make_unique<TfNIC>(nullptr, std::move(i),
                                         std::make_unique<ScriptedManagement>(script));
        TfNIC* p = w.get();
        script->controlsEnabled = [p] {
            return p->pnIP->isEnabled() || p->lbNIC->isEnabled() || p->btnRelease->isEnabled() ||
                   p->btnRenew->isEnabled() || p->btnDHCP->isEnabled();
        };
        return w;
    }
    static QStringList Log(TfNIC& w) { return Items(w.LogBox); }
    static QStringList Info(TfNIC& w) { return w.mmInfo->toPlainText().split(u'\n'); }
    static bool AllEnabled(TfNIC& w) {
        return w.pnIP->isEnabled() && w.lbNIC->isEnabled() && w.btnRelease->isEnabled() &&
               w.btnRenew->isEnabled() && w.btnDHCP->isEnabled() && w.btnFixedIP->isEnabled() &&
               w.edIPAddress->isEnabled();
    }
    // Clicks a row as the user does (so sNICName is taken from it).
    static void Click(TfNIC& w, int row) {
        w.lbNIC->setCurrentRow(row);
        w.lbNICClick();
    }
    void SetFields(TfNIC& w, const QStringList& f) {
        QComboBox* boxes[] = {w.edIPAddress, w.edSubnetMask, w.edGateway, w.edDNS1, w.edDNS2};
        for (int i = 0; i < 5; ++i) boxes[i]->setEditText(f[i]);
    }

    std::shared_ptr<std::vector<AdapterRecord>> adapters =
        std::make_shared<std::vector<AdapterRecord>>();
    std::shared_ptr<ManagementScript> script = std::make_shared<ManagementScript>();
    RecordingDialogs dialogs;
    ScriptedIPInfo* info = nullptr;
};

}  // namespace

TEST_F(NicWindow, ControlsStartWithTheirCaptionsItemsAndTexts) {
    auto w = Open();
    EXPECT_EQ(w->windowTitle(), "NIC Tool.");
    EXPECT_EQ(w->Label3->text(), "Network Interfaces Card.");
    EXPECT_EQ(w->Label7->text(), "!!เปิดโปรแกรมด้วย Run As Administrator..");
    EXPECT_EQ(w->Label4->text(), "Adapter Information");
    EXPECT_EQ(w->btnRelease->text(), "DHCP Release");
    EXPECT_EQ(w->btnRenew->text(), "DHCP Renew");
    EXPECT_EQ(w->btnDHCP->text(), "Enable DHCP Client");
    EXPECT_EQ(w->btnFixedIP->text(), "Fix IP.");
    EXPECT_EQ(w->Memo1->toPlainText(),
              "กรณีใส่ค่าผิด ทำให้ขึ้น Card NIC ซ้ำ แก้ปัญหาด้วยการ \nDisable/Enable Network Card.");
    EXPECT_TRUE(w->mmInfo->isReadOnly());
    EXPECT_EQ(Items(w->edIPAddress),
              QStringList({"192.168.0.2", "192.168.1.2", "192.168.2.2", "192.168.3.2",
                           "192.168.10.2", "172.16.1.2", "10.0.1.2"}));
    EXPECT_EQ(Items(w->edSubnetMask),
              QStringList({"255.255.255.0", "255.255.254.0", "255.255.252.0", "255.255.248.0",
                           "255.255.240.0", "", "", "", ""}));
    EXPECT_EQ(Items(w->edGateway),
              QStringList({"192.168.0.1", "192.168.1.1", "192.168.2.1", "192.168.10.1",
                           "172.16.1.1", "10.0.1.1", "10.0.10.1"}));
    EXPECT_EQ(Items(w->edDNS1), QStringList({"8.8.8.8", "1.1.1.1"}));
    EXPECT_EQ(Items(w->edDNS2), QStringList({"1.1.1.1", "8.8.8.8", "8.8.4.4"}));
    EXPECT_EQ(w->sNICName, "");
}

TEST_F(NicWindow, NoAdaptersLeavesEverythingAsCreated) {
    auto w = Open();
    EXPECT_EQ(w->lbNIC->count(), 0);
    EXPECT_EQ(w->lbNIC->currentRow(), -1);
    EXPECT_EQ(w->mmInfo->toPlainText(), "");
    EXPECT_EQ(Fields(*w), kInitialFields);
    // With no row, the details ask the component for index -1.
    w->ShowAdapterInfo();
    EXPECT_EQ(info->indexes.back(), -1);
}

TEST_F(NicWindow, ListsEveryAdapterAndShowsTheFirstWithPaddedLabels) {
    *adapters = {Adapter("eth0"), Adapter("wlan0", "10.1.1.5", "255.255.0.0", "", ""),
                 Adapter("eth0")};
    auto w = Open();
    EXPECT_EQ(Items(w->lbNIC), QStringList({"eth0", "wlan0", "eth0"}));  // duplicates stay
    EXPECT_EQ(w->lbNIC->currentRow(), 0);
    EXPECT_EQ(w->sNICName, "");  // only a click remembers a name
    EXPECT_EQ(Info(*w),
              QStringList({
                  "Adapter-Name:     eth0",
                  "MAC-Address:      00:1A:2B:3C:4D:5E   00-1A-2B-3C-4D-5E   001A.2B3C.4D5E",
                  "Adapter-Type:     Ethernet",
                  "",
                  "DHCP-Client:      Enabled",
                  "",
                  "IP-Address:       192.168.5.10",
                  "SubnetMask:       255.255.255.0",
                  "Gateway:          192.168.5.1",
                  "DNS-Server:       192.168.5.1 9.9.9.9",
                  "DHCP-Server:      192.168.5.1",
                  "Lease-Expires:    10/12/2026 01:02:03",
              }));
    EXPECT_EQ(Fields(*w), QStringList({"192.168.5.10", "255.255.255.0", "192.168.5.1",
                                       "192.168.5.1", "9.9.9.9"}));
}

TEST_F(NicWindow, OnlyValidAddressesReachTheFields) {
    struct Case {
        const char* what;
        AdapterRecord adapter;
        QStringList fields;
    } cases[] = {
        {"no gateway",
         Adapter("a", "10.0.0.5", "255.0.0.0", "", "10.0.0.1"),
         {"10.0.0.5", "255.0.0.0", "", "10.0.0.1", ""}},
        {"one DNS server",
         Adapter("a", "10.0.0.5", "255.0.0.0", "10.0.0.1", "1.0.0.1"),
         {"10.0.0.5", "255.0.0.0", "10.0.0.1", "1.0.0.1", ""}},
        {"three DNS servers",
         Adapter("a", "10.0.0.5", "255.0.0.0", "10.0.0.1", "1.0.0.1 1.0.0.2 1.0.0.3"),
         {"10.0.0.5", "255.0.0.0", "10.0.0.1", "1.0.0.1", "1.0.0.2"}},
        {"two blanks in the DNS list",
         Adapter("a", "10.0.0.5", "255.0.0.0", "10.0.0.1", "1.0.0.1  1.0.0.2"),
         {"10.0.0.5", "255.0.0.0", "10.0.0.1", "1.0.0.1", ""}},
        {"nothing valid", Adapter("a", "", "", "fe80::1", ""), {"", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        *adapters = {c.adapter};
        auto w = Open();
        EXPECT_EQ(Fields(*w), c.fields) << c.what;
        EXPECT_EQ(Info(*w).value(9),
                  "DNS-Server:       " + QString::fromStdString(c.adapter.dnsServers))
            << c.what;
    }
    *adapters = {Adapter("a", "10.0.0.5", "255.0.0.0", "")};
    auto w = Open();
    EXPECT_EQ(Info(*w).value(8), "Gateway:          ");  // ends after its nine blanks
}

TEST_F(NicWindow, HardwareAddressForms) {
    struct Case {
        std::string given;
        QString line;
    } cases[] = {
        {"00-1a-2b-3c-4d-5e", "00:1A:2B:3C:4D:5E   00-1A-2B-3C-4D-5E   001A.2B3C.4D5E"},
        {"001a2b3c4d5e", "00:1A:2B:3C:4D:5E   001A2B3C4D5E   001A.2B3C.4D5E"},
        {"", "      "},
    };
    for (const Case& c : cases) {
        AdapterRecord a = Adapter("a");
        a.physicalAddress = c.given;
        a.dhcpEnabled = false;
        *adapters = {a};
        auto w = Open();
        EXPECT_EQ(Info(*w).value(1), "MAC-Address:      " + c.line) << c.given;
        EXPECT_EQ(Info(*w).value(4), "DHCP-Client:      Disabled");
    }
}

TEST_F(NicWindow, AClickShowsAndRemembersTheAdapter) {
    *adapters = {Adapter("eth0"), Adapter("wlan0", "10.1.1.5", "255.255.0.0", "10.1.0.1", "")};
    auto w = Open();
    w->show();
    QListWidgetItem* row1 = w->lbNIC->item(1);
    QTest::mouseClick(w->lbNIC->viewport(), Qt::LeftButton, {},
                      w->lbNIC->visualItemRect(row1).center());
    EXPECT_EQ(w->sNICName, "wlan0");
    EXPECT_EQ(Info(*w).value(0), "Adapter-Name:     wlan0");
    EXPECT_EQ(w->edGateway->currentText(), "10.1.0.1");
    // Refilling the list selects row 0 by code: no click, the name stays.
    w->LoadNICList();
    EXPECT_EQ(w->lbNIC->currentRow(), 0);
    EXPECT_EQ(w->sNICName, "wlan0");
    EXPECT_EQ(Info(*w).value(0), "Adapter-Name:     eth0");
}

TEST_F(NicWindow, TheHundredAndFirstLogLineEmptiesTheLog) {
    auto w = Open();
    for (int i = 1; i <= 100; ++i) w->AddNICLog(QString::number(i));
    EXPECT_EQ(w->LogBox->count(), 100);
    EXPECT_EQ(w->LogBox->currentRow(), 99);  // the last line is selected
    w->AddNICLog("101");
    EXPECT_EQ(w->LogBox->count(), 0);
    w->AddNICLog("102");
    EXPECT_EQ(Log(*w), QStringList({"102"}));
}

TEST_F(NicWindow, FixIpChecksInOrder) {
    *adapters = {Adapter("eth0")};
    const QString format = "ใส่ Format IP ไม่ถูกต้อง!";
    const QString choose = "เลือก Network Interface Card";
    struct Case {
        const char* what;
        QStringList fields;
        bool clicked;
        QString message;  // empty: the configuration runs
    } cases[] = {
        {"before any click", kInitialFields, false, choose},
        {"bad field before no adapter",
         {"192.168.0.256", "255.255.255.0", "192.168.0.1", "8.8.8.8", "1.1.1.1"},
         false,
         format},
        {"empty mask", {"192.168.0.2", "", "192.168.0.1", "8.8.8.8", "1.1.1.1"}, true, format},
        {"empty gateway", {"192.168.0.2", "255.255.255.0", "", "8.8.8.8", "1.1.1.1"}, true, format},
        {"empty first DNS",
         {"192.168.0.2", "255.255.255.0", "192.168.0.1", "", "1.1.1.1"},
         true,
         format},
        {"empty second DNS passes",
         {"192.168.0.2", "255.255.255.0", "192.168.0.1", "8.8.8.8", ""},
         true,
         ""},
        {"gateway is the network",
         {"192.168.0.2", "255.255.255.0", "192.168.0.0", "8.8.8.8", "1.1.1.1"},
         true,
         ""},
        {"gateway is the broadcast",
         {"192.168.0.2", "255.255.255.0", "192.168.0.255", "8.8.8.8", "1.1.1.1"},
         true,
         ""},
        {"gateway is the address",
         {"192.168.0.2", "255.255.255.0", "192.168.0.2", "8.8.8.8", "1.1.1.1"},
         true,
         ""},
        {"gateway outside",
         {"192.168.0.2", "255.255.255.0", "192.168.1.1", "8.8.8.8", "1.1.1.1"},
         true,
         "IP Gateway: 192.168.1.1 ไม่ได้อยู่ใน Network เดียวกับ 192.168.0.2/255.255.255.0"},
    };
    for (const Case& c : cases) {
        auto w = Open();
        w->show();
        if (c.clicked) Click(*w, 0);
        SetFields(*w, c.fields);
        dialogs.shown.clear();
        script->journal.clear();
        w->btnFixedIP->click();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.shown.isEmpty())
                << c.what << ": " << dialogs.shown.join('|').toStdString();
            EXPECT_FALSE(script->journal.isEmpty()) << c.what;
        } else {
            EXPECT_EQ(dialogs.shown, QStringList({c.message})) << c.what;
            EXPECT_TRUE(script->journal.isEmpty()) << c.what;
            EXPECT_TRUE(Log(*w).isEmpty()) << c.what;
            EXPECT_EQ(Fields(*w), c.fields) << c.what;  // fields keep their text
        }
        if (QString(c.what) == "gateway outside") {
            EXPECT_EQ(w->focusWidget(), w->edGateway);
        }
    }
}

TEST_F(NicWindow, StaticAddressRunsTheCallsAndRebuildsTheList) {
    *adapters = {Adapter("eth0"), Adapter("Intel Ethernet")};
    script->configs = {
        {"Realtek", {}}, {"Intel Ethernet Connection", {}}, {"Intel Ethernet 2", {}}};
    auto w = Open();
    Click(*w, 1);
    SetFields(*w, {"192.168.0.2", "255.255.255.0", "192.168.0.1", "8.8.8.8", "1.1.1.1"});
    info->indexes.clear();
    w->btnFixedIP->click();
    EXPECT_EQ(Log(*w),
              QStringList({">>>>> Start Set Static-IP NIC.: Intel Ethernet",
                           ">>> Set IP-Address: 192.168.0.2", ">>> Set IP-Gateway: 192.168.0.1",
                           ">>> Set Primary/Secoundary DNS: 8.8.8.8/1.1.1.1",
                           ">>> Set Static-IP NIC.: Intel EthernetSuccessfully..."}));
    // One request with the values as typed; the first configuration that holds the name.
    EXPECT_EQ(script->journal,
              QStringList({"ApplyStatic Intel Ethernet 192.168.0.2/255.255.255.0 192.168.0.1 "
                           "8.8.8.8,1.1.1.1",
                           "EnableStatic 1", "SetGateways 1", "SetDNSServerSearchOrder 1"}));
    EXPECT_FALSE(script->controlsEnabledDuringCall);
    EXPECT_TRUE(script->hourglassDuringCall);
    EXPECT_TRUE(AllEnabled(*w));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The list was read again and row 0 shown; the remembered name stays.
    EXPECT_EQ(info->indexes, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(w->lbNIC->currentRow(), 0);
    EXPECT_EQ(w->sNICName, "Intel Ethernet");
}

TEST_F(NicWindow, StaticAddressFailuresLogWhatWasDoneAndOneErrorLine) {
    const QString start = ">>>>> Start Set Static-IP NIC.: eth0";
    const QString ip = ">>> Set IP-Address: 192.168.0.2";
    const QString gw = ">>> Set IP-Gateway: 192.168.0.1";
    using Config = ManagementScript::Config;
    struct Case {
        const char* what;
        Config config;  // description eth0 unless given
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
        *adapters = {Adapter("eth0")};
        script->configs = {Config{"wlan0", {}, {}, {}}, c.config};
        script->connectError = c.connectError;
        script->journal.clear();
        auto w = Open();
        Click(*w, 0);
        SetFields(*w, kInitialFields);
        info->indexes.clear();
        w->btnFixedIP->click();
        EXPECT_EQ(Log(*w), c.log) << c.what;
        EXPECT_EQ(info->indexes, (std::vector<int>{0, 0})) << c.what;  // list rebuilt
        EXPECT_TRUE(AllEnabled(*w)) << c.what;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.what;
        EXPECT_TRUE(dialogs.shown.isEmpty()) << c.what;
    }
}

TEST_F(NicWindow, EnableDhcpClientActsOnTheRememberedAdapter) {
    *adapters = {Adapter("eth0"), Adapter("eth1")};
    script->configs = {{"eth0", {}}, {"eth1", {}}, {"eth1 (second)", {}}};
    auto w = Open();
    Click(*w, 0);
    Click(*w, 1);
    w->lbNIC->setCurrentRow(0);  // a row selected by code does not change the remembered name
    const QString details = w->mmInfo->toPlainText();
    w->btnDHCP->click();
    EXPECT_EQ(Log(*w), QStringList({">>>>> Start Set DHCP-Client NIC.: eth1",
                                    ">>> Set DHCP-Client NIC: eth1Successfully."}));
    EXPECT_EQ(script->journal,
              QStringList({"SwitchToDhcp eth1", "EnableDHCP 1", "SetDNSServerSearchOrder 1"}));
    EXPECT_FALSE(script->controlsEnabledDuringCall);
    EXPECT_TRUE(script->hourglassDuringCall);
    EXPECT_TRUE(AllEnabled(*w));
    EXPECT_EQ(w->mmInfo->toPlainText(), details);  // no refresh, no list rebuild
}

// Each failure line carries one error mark: a text with its own "!!!" is not prefixed again.
TEST_F(NicWindow, EnableDhcpClientJudgesBothStepsAndSaysWhatHappened) {
    const QString start = ">>>>> Start Set DHCP-Client NIC.: eth0";
    const QString done = ">>> Set DHCP-Client NIC: eth0Successfully.";
    using Config = ManagementScript::Config;
    struct Case {
        const char* what;
        bool click;
        Config config;
        std::string connectError, noLease;
        QStringList log;
    } cases[] = {
        {"empty name: nothing asked, and says so",
         false,
         {"eth0", {}, {}, {}},
         "",
         "",
         {">>>>> Start Set DHCP-Client NIC.: ", "!!!Error: เลือก Network Interface Card"}},
        {"no match",
         true,
         {"wlan0", {}, {}, {}},
         "",
         "",
         {start, "!!!ไม่พบ Network Adapter \"eth0\" ตรวจสอบการ Enable NIC."}},
        {"unreachable",
         true,
         {"eth0", {}, {}, {}},
         "Access denied",
         "",
         {start, "!!!Error: Access denied"}},
        {"EnableDHCP refused: the DNS servers are still cleared",
         true,
         {"eth0", {{"EnableDHCP", 84}}, {}, {}},
         "",
         "",
         {start, "!!!Error Enable DHCP failed. Code: 84"}},
        {"both refused",
         true,
         {"eth0", {{"EnableDHCP", 84}, {"SetDNSServerSearchOrder", 91}}, {}, {}},
         "",
         "",
         {start, "!!!Error Enable DHCP failed. Code: 84",
          "!!!Error Set DNSServer failed. Code: 91"}},
        {"refused in words",
         true,
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
         true,
         {"eth0", {}, {}, {{"SetDNSServerSearchOrder", "bus gone"}}},
         "",
         "",
         {start, "!!!Error: bus gone"}},
        {"code 1 is made, with a restart",
         true,
         {"eth0", {{"EnableDHCP", 1}}, {}, {}},
         "",
         "",
         {start, done + " (Code: 1, restart the computer to complete the change)"}},
        {"made, but no lease yet",
         true,
         {"eth0", {}, {}, {}},
         "",
         "no DHCP lease arrived within 15 s: eth0 has no IPv4 address yet",
         {start, done,
          "!!!Warning: no DHCP lease arrived within 15 s: eth0 has no IPv4 address yet"}},
    };
    for (const Case& c : cases) {
        *adapters = {Adapter("eth0")};
        script->configs = {c.config};
        script->connectError = c.connectError;
        script->noLease = c.noLease;
        script->journal.clear();
        auto w = Open();
        if (c.click) Click(*w, 0);
        w->btnDHCP->click();
        EXPECT_EQ(Log(*w), c.log) << c.what;
        if (c.click && c.connectError.empty() && c.config.description == "eth0") {
            EXPECT_EQ(script->journal, QStringList({"SwitchToDhcp eth0", "EnableDHCP 0",
                                                    "SetDNSServerSearchOrder 0"}))
                << c.what;  // always both
        }
        if (!c.click) {
            EXPECT_TRUE(script->journal.isEmpty()) << c.what;
        }
        EXPECT_TRUE(AllEnabled(*w)) << c.what;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.what;
    }
}

// Enter typed in a field runs no action: the first button ("DHCP Release") is no default button.
// A button runs only when meant: clicked, or Space or Enter while it has the focus.
TEST_F(NicWindow, EnterInAFieldRunsNoAction) {
    *adapters = {Adapter("eth0")};
    script->configs = {{"eth0", {}}};
    auto w = Open();
    w->show();
    Click(*w, 0);  // an adapter picked, so every action could run
    EXPECT_EQ(ButtonClicksFromEnterInFields(w.get()), 0);
    EXPECT_EQ(Log(*w), QStringList());
    EXPECT_TRUE(info->actedOn.empty());
    EXPECT_EQ(script->journal, QStringList());
    EXPECT_TRUE(dialogs.shown.isEmpty());
    for (QPushButton* b : {w->btnRelease, w->btnRenew, w->btnDHCP, w->btnFixedIP})
        EXPECT_FALSE(b->isDefault()) << b->text().toStdString();

    w->btnRenew->setFocus();
    QTest::keyClick(w->btnRenew, Qt::Key_Space);
    w->btnRelease->setFocus();
    QTest::keyClick(w->btnRelease, Qt::Key_Return);
    EXPECT_EQ(info->actedOn.size(), 2u);
    EXPECT_EQ(Log(*w), QStringList({">>> DHCP Renew NIC.: eth0 successfully.",
                                    ">>> DHCP Release NIC.: eth0 successfully."}));
    EXPECT_TRUE(w->isVisible());  // the window took no Enter for itself either
}

TEST_F(NicWindow, ReleaseAndRenewActOnTheShownRow) {
    *adapters = {Adapter("eth0"), Adapter("eth1")};
    auto w = Open();
    // Without any click: the row shown at creation.
    info->onRelease = [this] { (*adapters)[0].ipAddress = "0.0.0.0"; };
    w->btnRelease->click();
    EXPECT_EQ(info->actedOn, (std::vector<int>{0}));
    EXPECT_EQ(Log(*w), QStringList({">>> DHCP Release NIC.: eth0 successfully."}));
    EXPECT_EQ(Info(*w).value(6), "IP-Address:       0.0.0.0");  // details refreshed
    EXPECT_EQ(w->edIPAddress->currentText(), "0.0.0.0");
    Click(*w, 1);
    bool busy = false;
    info->onRenew = [&] { busy = !w->btnRelease->isEnabled() && QApplication::overrideCursor(); };
    w->btnRenew->click();
    EXPECT_TRUE(busy);
    EXPECT_EQ(info->actedOn, (std::vector<int>{0, 1}));
    EXPECT_EQ(Log(*w).last(), ">>> DHCP Renew NIC.: eth1 successfully.");
    EXPECT_TRUE(AllEnabled(*w));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(NicWindow, ReleaseFailureWritesOneErrorLineAndKeepsTheDetails) {
    *adapters = {Adapter("eth0")};
    auto w = Open();
    info->onRelease = [] { throw EncIPInfo(11004, "NetworkManager could not release eth0"); };
    info->onRenew = [] { throw std::runtime_error("bus gone"); };
    const QString details = w->mmInfo->toPlainText();
    w->btnRelease->click();
    w->btnRenew->click();
    EXPECT_EQ(Log(*w), QStringList({"!!!Error: 11004: NetworkManager could not release eth0",
                                    "!!!Error: bus gone"}));
    EXPECT_EQ(w->mmInfo->toPlainText(), details);
    EXPECT_TRUE(AllEnabled(*w));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(NicWindow, AfterAStaticAttemptReleaseUsesRowZeroAndDhcpTheRememberedName) {
    *adapters = {Adapter("eth0"), Adapter("eth1")};
    script->configs = {{"eth0", {}}, {"eth1", {}}};
    auto w = Open();
    Click(*w, 1);
    SetFields(*w, kInitialFields);
    w->btnFixedIP->click();
    info->actedOn.clear();
    script->journal.clear();
    w->btnRelease->click();
    w->btnDHCP->click();
    EXPECT_EQ(info->actedOn, (std::vector<int>{0}));
    EXPECT_TRUE(script->journal.contains("EnableDHCP 1"))
        << script->journal.join('|').toStdString();
}

TEST_F(NicWindow, AFailingAdapterListGoesToTheStandardErrorBox) {
    auto w = Open();
    auto failing = std::make_unique<TncIPInfo>([] {
        return AdapterQueryResult{{}, 5, "netlink refused"};
    });
    TfNIC broken(nullptr, std::move(failing), std::make_unique<ScriptedManagement>(script));
    EXPECT_EQ(broken.lbNIC->count(), 0);
    broken.lbNIC->addItem("stale");
    broken.lbNIC->setCurrentRow(0);
    broken.lbNIC->itemClicked(broken.lbNIC->item(0));
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("netlink refused")) << dialogs.errors[0].toStdString();
}
