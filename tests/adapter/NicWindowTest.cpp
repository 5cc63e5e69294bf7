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
#include "tests/adapter/NicControls.h"
#include "tests/adapter/NicFakes.h"
#include "tests/support/EnterInFields.h"
#include "tests/support/ScriptedDialogs.h"

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
    const NicControls ui(w);
    return {ui.edIPAddress->currentText(), ui.edSubnetMask->currentText(),
            ui.edGateway->currentText(), ui.edDNS1->currentText(), ui.edDNS2->currentText()};
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
        script->controlsEnabled = [ui = NicControls(*w)] {
            return ui.pnIP->isEnabled() || ui.lbNIC->isEnabled() || ui.btnRelease->isEnabled() ||
                   ui.btnRenew->isEnabled() || ui.btnDHCP->isEnabled();
        };
        return w;
    }
    static QStringList Log(TfNIC& w) { return Items(NicControls(w).LogBox); }
    static QStringList Info(TfNIC& w) { return NicControls(w).mmInfo->toPlainText().split(u'\n'); }
    static bool AllEnabled(TfNIC& w) {
        const NicControls ui(w);
        return ui.pnIP->isEnabled() && ui.lbNIC->isEnabled() && ui.btnRelease->isEnabled() &&
               ui.btnRenew->isEnabled() && ui.btnDHCP->isEnabled() && ui.btnFixedIP->isEnabled() &&
               ui.edIPAddress->isEnabled();
    }
    // Clicks a row as the user does (so the adapter's name is remembered).
    static void Click(TfNIC& w, int row) { NicControls(w).click(row); }
    // The name the window remembers: the one Enable DHCP Client asks the interface for (its
    // lines stay in the log).
    QString Remembered(TfNIC& w) {
        const QStringList journal = script->journal;
        NicControls(w).btnDHCP->click();
        QString name;
        for (const QString& call : script->journal.mid(journal.size()))
            if (call.startsWith("SwitchToDhcp ")) name = call.mid(13);
        script->journal = journal;
        return name;
    }
    void SetFields(TfNIC& w, const QStringList& f) {
        const NicControls ui(w);
        QComboBox* boxes[] = {ui.edIPAddress, ui.edSubnetMask, ui.edGateway, ui.edDNS1, ui.edDNS2};
        for (int i = 0; i < 5; ++i) boxes[i]->setEditText(f[i]);
    }

    std::shared_ptr<std::vector<AdapterRecord>> adapters =
        std::make_shared<std::vector<AdapterRecord>>();
    std::shared_ptr<ManagementScript> script = std::make_shared<ManagementScript>();
    ScriptedDialogs dialogs;
    ScriptedIPInfo* info = nullptr;
};

}  // namespace

TEST_F(NicWindow, ControlsStartWithTheirCaptionsItemsAndTexts) {
    auto w = Open();
    const NicControls ui(*w);
    EXPECT_EQ(w->windowTitle(), "NIC Tool.");
    EXPECT_EQ(ui.Label3->text(), "Network Interfaces Card.");
    EXPECT_EQ(ui.Label7->text(), "!!เปิดโปรแกรมด้วย Run As Administrator..");
    EXPECT_EQ(ui.Label4->text(), "Adapter Information");
    EXPECT_EQ(ui.btnRelease->text(), "DHCP Release");
    EXPECT_EQ(ui.btnRenew->text(), "DHCP Renew");
    EXPECT_EQ(ui.btnDHCP->text(), "Enable DHCP Client");
    EXPECT_EQ(ui.btnFixedIP->text(), "Fix IP.");
    EXPECT_EQ(ui.Memo1->toPlainText(),
              "กรณีใส่ค่าผิด ทำให้ขึ้น Card NIC ซ้ำ แก้ปัญหาด้วยการ \nDisable/Enable Network Card.");
    EXPECT_TRUE(ui.mmInfo->isReadOnly());
    EXPECT_EQ(Items(ui.edIPAddress),
              QStringList({"192.168.0.2", "192.168.1.2", "192.168.2.2", "192.168.3.2",
                           "192.168.10.2", "172.16.1.2", "10.0.1.2"}));
    EXPECT_EQ(Items(ui.edSubnetMask),
              QStringList({"255.255.255.0", "255.255.254.0", "255.255.252.0", "255.255.248.0",
                           "255.255.240.0", "", "", "", ""}));
    EXPECT_EQ(Items(ui.edGateway),
              QStringList({"192.168.0.1", "192.168.1.1", "192.168.2.1", "192.168.10.1",
                           "172.16.1.1", "10.0.1.1", "10.0.10.1"}));
    EXPECT_EQ(Items(ui.edDNS1), QStringList({"8.8.8.8", "1.1.1.1"}));
    EXPECT_EQ(Items(ui.edDNS2), QStringList({"1.1.1.1", "8.8.8.8", "8.8.4.4"}));
    EXPECT_EQ(Remembered(*w), "");
}

TEST_F(NicWindow, NoAdaptersLeavesEverythingAsCreated) {
    auto w = Open();
    const NicControls ui(*w);
    EXPECT_EQ(ui.lbNIC->count(), 0);
    EXPECT_EQ(ui.lbNIC->currentRow(), -1);
    EXPECT_EQ(ui.mmInfo->toPlainText(), "");
    EXPECT_EQ(Fields(*w), kInitialFields);
}

TEST_F(NicWindow, ListsEveryAdapterAndShowsTheFirstWithPaddedLabels) {
    *adapters = {Adapter("eth0"), Adapter("wlan0", "10.1.1.5", "255.255.0.0", "", ""),
                 Adapter("eth0")};
    auto w = Open();
    const NicControls ui(*w);
    EXPECT_EQ(Items(ui.lbNIC), QStringList({"eth0", "wlan0", "eth0"}));  // duplicates stay
    EXPECT_EQ(ui.lbNIC->currentRow(), 0);
    EXPECT_EQ(Remembered(*w), "");  // only a click remembers a name
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
        const NicControls ui(*w);
        EXPECT_EQ(Fields(*w), c.fields) << c.what;
        EXPECT_EQ(Info(*w).value(9),
                  "DNS-Server:       " + QString::fromStdString(c.adapter.dnsServers))
            << c.what;
    }
    *adapters = {Adapter("a", "10.0.0.5", "255.0.0.0", "")};
    auto w = Open();
    const NicControls ui(*w);
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
        const NicControls ui(*w);
        EXPECT_EQ(Info(*w).value(1), "MAC-Address:      " + c.line) << c.given;
        EXPECT_EQ(Info(*w).value(4), "DHCP-Client:      Disabled");
    }
}

TEST_F(NicWindow, AClickShowsAndRemembersTheAdapter) {
    *adapters = {Adapter("eth0"), Adapter("wlan0", "10.1.1.5", "255.255.0.0", "10.1.0.1", "")};
    auto w = Open();
    const NicControls ui(*w);
    w->show();
    QListWidgetItem* row1 = ui.lbNIC->item(1);
    QTest::mouseClick(ui.lbNIC->viewport(), Qt::LeftButton, {},
                      ui.lbNIC->visualItemRect(row1).center());
    EXPECT_EQ(Info(*w).value(0), "Adapter-Name:     wlan0");
    EXPECT_EQ(ui.edGateway->currentText(), "10.1.0.1");
    EXPECT_EQ(Remembered(*w), "wlan0");
}

TEST_F(NicWindow, TheHundredAndFirstLogLineEmptiesTheLog) {
    auto w = Open();
    const NicControls ui(*w);
    // Each renew of no adapter writes one error line.
    for (int i = 1; i <= 100; ++i) ui.btnRenew->click();
    EXPECT_EQ(ui.LogBox->count(), 100);
    EXPECT_EQ(ui.LogBox->currentRow(), 99);  // the last line is selected
    ui.btnRenew->click();
    EXPECT_EQ(ui.LogBox->count(), 0);
    ui.btnRenew->click();
    EXPECT_EQ(Log(*w).size(), 1);
}

TEST_F(NicWindow, FixIpChecksShowTheirBoxAndChangeNothing) {
    *adapters = {Adapter("eth0")};
    // The checks themselves are the actions' (AdapterActionsTest); here their box and focus.
    struct Case {
        const char* what;
        QStringList fields;
        bool clicked;
        QString message;  // empty: the configuration runs
    } cases[] = {
        {"before any click", kInitialFields, false, "เลือก Network Interface Card"},
        {"bad field",
         {"192.168.0.256", "255.255.255.0", "192.168.0.1", "8.8.8.8", "1.1.1.1"},
         true,
         "ใส่ Format IP ไม่ถูกต้อง!"},
        {"empty second DNS passes",
         {"192.168.0.2", "255.255.255.0", "192.168.0.1", "8.8.8.8", ""},
         true,
         ""},
        {"gateway outside",
         {"192.168.0.2", "255.255.255.0", "192.168.1.1", "8.8.8.8", "1.1.1.1"},
         true,
         "IP Gateway: 192.168.1.1 ไม่ได้อยู่ใน Network เดียวกับ 192.168.0.2/255.255.255.0"},
    };
    for (const Case& c : cases) {
        auto w = Open();
        const NicControls ui(*w);
        w->show();
        if (c.clicked) Click(*w, 0);
        SetFields(*w, c.fields);
        dialogs.shown.clear();
        script->journal.clear();
        ui.btnFixedIP->click();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.shown.empty())
                << c.what << ": " << dialogs.texts("information").join('|').toStdString();
            EXPECT_FALSE(script->journal.isEmpty()) << c.what;
        } else {
            EXPECT_EQ(dialogs.texts("information"), QStringList({c.message})) << c.what;
            EXPECT_TRUE(script->journal.isEmpty()) << c.what;
            EXPECT_TRUE(Log(*w).isEmpty()) << c.what;
            EXPECT_EQ(Fields(*w), c.fields) << c.what;  // fields keep their text
        }
        if (QString(c.what) == "gateway outside") {
            EXPECT_EQ(w->focusWidget(), ui.edGateway);
        }
    }
}

TEST_F(NicWindow, StaticAddressRunsTheCallsAndRebuildsTheList) {
    *adapters = {Adapter("eth0"), Adapter("Intel Ethernet")};
    script->configs = {
        {"Realtek", {}}, {"Intel Ethernet Connection", {}}, {"Intel Ethernet 2", {}}};
    auto w = Open();
    const NicControls ui(*w);
    Click(*w, 1);
    SetFields(*w, {"192.168.0.2", "255.255.255.0", "192.168.0.1", "8.8.8.8", "1.1.1.1"});
    info->indexes.clear();
    ui.btnFixedIP->click();
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
    EXPECT_EQ(ui.lbNIC->currentRow(), 0);
    EXPECT_EQ(Remembered(*w), "Intel Ethernet");
}

TEST_F(NicWindow, EnableDhcpClientActsOnTheRememberedAdapter) {
    *adapters = {Adapter("eth0"), Adapter("eth1")};
    script->configs = {{"eth0", {}}, {"eth1", {}}, {"eth1 (second)", {}}};
    auto w = Open();
    const NicControls ui(*w);
    Click(*w, 0);
    Click(*w, 1);
    ui.lbNIC->setCurrentRow(0);  // a row selected by code does not change the remembered name
    const QString details = ui.mmInfo->toPlainText();
    ui.btnDHCP->click();
    EXPECT_EQ(Log(*w), QStringList({">>>>> Start Set DHCP-Client NIC.: eth1",
                                    ">>> Set DHCP-Client NIC: eth1Successfully."}));
    EXPECT_EQ(script->journal,
              QStringList({"SwitchToDhcp eth1", "EnableDHCP 1", "SetDNSServerSearchOrder 1"}));
    EXPECT_FALSE(script->controlsEnabledDuringCall);
    EXPECT_TRUE(script->hourglassDuringCall);
    EXPECT_TRUE(AllEnabled(*w));
    EXPECT_EQ(ui.mmInfo->toPlainText(), details);  // no refresh, no list rebuild
}

// Enter typed in a field runs no action: the first button ("DHCP Release") is no default button.
// A button runs only when meant: clicked, or Space or Enter while it has the focus.
TEST_F(NicWindow, EnterInAFieldRunsNoAction) {
    *adapters = {Adapter("eth0")};
    script->configs = {{"eth0", {}}};
    auto w = Open();
    const NicControls ui(*w);
    w->show();
    Click(*w, 0);  // an adapter picked, so every action could run
    EXPECT_EQ(ButtonClicksFromEnterInFields(w.get()), 0);
    EXPECT_EQ(Log(*w), QStringList());
    EXPECT_TRUE(info->actedOn.empty());
    EXPECT_EQ(script->journal, QStringList());
    EXPECT_TRUE(dialogs.shown.empty());
    for (QPushButton* b : {ui.btnRelease, ui.btnRenew, ui.btnDHCP, ui.btnFixedIP})
        EXPECT_FALSE(b->isDefault()) << b->text().toStdString();

    ui.btnRenew->setFocus();
    QTest::keyClick(ui.btnRenew, Qt::Key_Space);
    ui.btnRelease->setFocus();
    QTest::keyClick(ui.btnRelease, Qt::Key_Return);
    EXPECT_EQ(info->actedOn.size(), 2u);
    EXPECT_EQ(Log(*w), QStringList({">>> DHCP Renew NIC.: eth0 successfully.",
                                    ">>> DHCP Release NIC.: eth0 successfully."}));
    EXPECT_TRUE(w->isVisible());  // the window took no Enter for itself either
}

TEST_F(NicWindow, ReleaseAndRenewActOnTheShownRow) {
    *adapters = {Adapter("eth0"), Adapter("eth1")};
    auto w = Open();
    const NicControls ui(*w);
    // Without any click: the row shown at creation.
    info->onRelease = [this] { (*adapters)[0].ipAddress = "0.0.0.0"; };
    ui.btnRelease->click();
    EXPECT_EQ(info->actedOn, (std::vector<int>{0}));
    EXPECT_EQ(Log(*w), QStringList({">>> DHCP Release NIC.: eth0 successfully."}));
    EXPECT_EQ(Info(*w).value(6), "IP-Address:       0.0.0.0");  // details refreshed
    EXPECT_EQ(ui.edIPAddress->currentText(), "0.0.0.0");
    Click(*w, 1);
    bool busy = false;
    info->onRenew = [&] { busy = !ui.btnRelease->isEnabled() && QApplication::overrideCursor(); };
    ui.btnRenew->click();
    EXPECT_TRUE(busy);
    EXPECT_EQ(info->actedOn, (std::vector<int>{0, 1}));
    EXPECT_EQ(Log(*w).last(), ">>> DHCP Renew NIC.: eth1 successfully.");
    EXPECT_TRUE(AllEnabled(*w));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(NicWindow, AfterAStaticAttemptReleaseUsesRowZeroAndDhcpTheRememberedName) {
    *adapters = {Adapter("eth0"), Adapter("eth1")};
    script->configs = {{"eth0", {}}, {"eth1", {}}};
    auto w = Open();
    const NicControls ui(*w);
    Click(*w, 1);
    SetFields(*w, kInitialFields);
    ui.btnFixedIP->click();
    info->actedOn.clear();
    script->journal.clear();
    ui.btnRelease->click();
    ui.btnDHCP->click();
    EXPECT_EQ(info->actedOn, (std::vector<int>{0}));
    EXPECT_TRUE(script->journal.contains("EnableDHCP 1"))
        << script->journal.join('|').toStdString();
}

TEST_F(NicWindow, AFailingAdapterListGoesToTheStandardErrorBox) {
    auto failing = std::make_unique<TncIPInfo>([] {
        return AdapterQueryResult{{}, 5, "netlink refused"};
    });
    TfNIC broken(nullptr, std::move(failing), std::make_unique<ScriptedManagement>(script));
    EXPECT_EQ(NicControls(broken).lbNIC->count(), 0);
    NicControls(broken).lbNIC->addItem("stale");
    NicControls(broken).lbNIC->setCurrentRow(0);
    NicControls(broken).lbNIC->itemClicked(NicControls(broken).lbNIC->item(0));
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains("netlink refused"))
        << dialogs.errors()[0].toStdString();
}
