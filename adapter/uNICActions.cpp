// The adapter tool's actions: DHCP release / renew through the adapter-information component,
// static address and back-to-DHCP through the management interface.

#include <QApplication>
#include <QComboBox>

#include "Dialogs.h"
#include "StandardError.h"
#include "uIPTool.h"
#include "uNIC.h"

namespace {

// The window's action controls are disabled and the hourglass shown for the guard's lifetime.
class Busy {
  public:
    explicit Busy(TfNIC& window) : m_window(window) {
        m_window.DisableControls();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~Busy() {
        m_window.EnableControls();
        QApplication::restoreOverrideCursor();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    TfNIC& m_window;
};

// Message of any failure; the management interface's own messages are UTF-8.
QString ErrorText(const std::exception& e) {
    if (dynamic_cast<const ManagementError*>(&e)) return QString::fromUtf8(e.what());
    return MessageOf(e);
}

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// The first IP-enabled configuration whose description holds name (exact characters, case
// counts); an empty name matches nothing. Later configurations are not looked at.
std::unique_ptr<AdapterConfiguration> FindConfiguration(ManagementInterface& mi,
                                                        const QString& name) {
    auto connection = mi.Connect();
    auto configurations = connection->QueryIPEnabled();
    while (auto config = configurations->Next())
        if (!name.isEmpty() && QString::fromUtf8(config->Description()).contains(name))
            return config;
    return nullptr;
}

QString NotFound(const QString& name) {
    return QStringLiteral("!!!ไม่พบ Network Adapter \"") + name +
           QStringLiteral("\" ตรวจสอบการ Enable NIC.");
}

void Check(std::uint32_t code, const char* failed) {
    if (code != 0)
        throw Exception(QLatin1String(failed) + QStringLiteral(" Code: ") + QString::number(code));
}

}  // namespace

void TfNIC::btnReleaseClick() {
    RunHandler([this] { dhcpLeaseAction(true); });
}

void TfNIC::btnRenewClick() {
    RunHandler([this] { dhcpLeaseAction(false); });
}

void TfNIC::dhcpLeaseAction(bool release) {
    Busy busy(*this);
    try {
        if (release)
            IPInfo1->DHCPRelease();
        else
            IPInfo1->DHCPRenew();
        AddNICLog((release ? QStringLiteral(">>> DHCP Release NIC.: ")
                           : QStringLiteral(">>> DHCP Renew NIC.: ")) +
                  IPInfo1->AdapterDescription() + QStringLiteral(" successfully."));
        ShowAdapterInfo();
    } catch (const std::exception& e) {
        AddNICLog(QStringLiteral("!!!Error: ") + ErrorText(e));
    }
}

void TfNIC::btnDHCPClick() {
    RunHandler([this] { SetDHCPClient(sNICName); });
}

// Success is logged only when the switch was made: a failure of the interface, a refused call or
// a name that matches no adapter is logged as an error line instead.
void TfNIC::SetDHCPClient(const QString& name) {
    AddNICLog(QStringLiteral(">>>>> Start Set DHCP-Client NIC.: ") + name);
    m_management->Initialize();
    QString failure;
    {
        Busy busy(*this);
        try {
            auto config = FindConfiguration(*m_management, name);
            if (!config) throw Exception(NotFound(name));
            Check(config->EnableDHCP(), "!!!Error Enable DHCP failed.");
            Check(config->SetDNSServerSearchOrder(std::nullopt), "!!!Error Set DNSServer failed.");
        } catch (const std::exception& e) {
            failure = ErrorText(e);
        }
        m_management->Uninitialize();
    }
    if (failure.isEmpty())
        AddNICLog(QStringLiteral(">>> Set DHCP-Client NIC: ") + name +
                  QStringLiteral("Successfully."));
    else
        AddNICLog(QStringLiteral("!!!Error: ") + failure);
}

bool TfNIC::CheckIPInputs(const QString& address, const QString& mask, const QString& gateway,
                          const QString& dns1) {
    return IsValidIPv4(address) && IsValidIPv4(mask) && IsValidIPv4(gateway) && IsValidIPv4(dns1);
}

void TfNIC::btnFixedIPClick() {
    RunHandler([this] {
        const QString address = edIPAddress->currentText();
        const QString mask = edSubnetMask->currentText();
        const QString gateway = edGateway->currentText();
        const QString dns1 = edDNS1->currentText();
        if (!CheckIPInputs(address, mask, gateway, dns1)) {
            dialogs().information(this, windowTitle(), QStringLiteral("ใส่ Format IP ไม่ถูกต้อง!"));
            return;
        }
        if (sNICName.isEmpty()) {
            dialogs().information(this, windowTitle(),
                                  QStringLiteral("เลือก Network Interface Card"));
            return;
        }
        if (!SameSubnet(gateway, address, mask)) {
            dialogs().information(this, windowTitle(),
                                  QStringLiteral("IP Gateway: ") + gateway +
                                      QStringLiteral(" ไม่ได้อยู่ใน Network เดียวกับ ") + address + u'/' +
                                      mask);
            edGateway->setFocus();
            return;
        }
        SetStaticIP(sNICName, edIPAddress->currentText(), edSubnetMask->currentText(),
                    edGateway->currentText(), edDNS1->currentText(), edDNS2->currentText());
    });
}

void TfNIC::SetStaticIP(const QString& name, const QString& address, const QString& mask,
                        const QString& gateway, const QString& dns1, const QString& dns2) {
    m_management->Initialize();
    Busy busy(*this);
    try {
        AddNICLog(QStringLiteral(">>>>> Start Set Static-IP NIC.: ") + name);
        auto config = FindConfiguration(*m_management, name);
        if (!config) throw Exception(NotFound(name));
        Check(config->EnableStatic({utf8(address)}, {utf8(mask)}),
              "!!!Error Enable Static failed.");
        AddNICLog(QStringLiteral(">>> Set IP-Address: ") + address);
        Check(config->SetGateways({utf8(gateway)}, {1}), "!!!Error Set Gateways failed.");
        AddNICLog(QStringLiteral(">>> Set IP-Gateway: ") + gateway);
        Check(config->SetDNSServerSearchOrder(std::vector<std::string>{utf8(dns1), utf8(dns2)}),
              "!!!Error Set DNSServer failed.");
        AddNICLog(QStringLiteral(">>> Set Primary/Secoundary DNS: ") + dns1 + u'/' + dns2);
        AddNICLog(QStringLiteral(">>> Set Static-IP NIC.: ") + name +
                  QStringLiteral("Successfully..."));
    } catch (const std::exception& e) {
        AddNICLog(QStringLiteral("!!! Error Set Static-IP: ") + ErrorText(e));
    }
    m_management->Uninitialize();
    LoadNICList();
}
