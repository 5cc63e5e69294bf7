// The adapter tool's actions: DHCP release / renew through the adapter-information component,
// static address and back-to-DHCP through the management interface.

#include <QApplication>
#include <QComboBox>

#include "adapter/uNIC.h"
#include "address/uIPTool.h"
#include "ui/Dialogs.h"
#include "ui/StandardError.h"
#include "ui/WindowHelpers.h"

namespace {

// The window's action controls are disabled and the hourglass shown for the guard's lifetime.
class Busy {
  public:
    explicit Busy(TfNIC& window) : m_window(window) { m_window.DisableControls(); }
    ~Busy() { m_window.EnableControls(); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    TfNIC& m_window;
    BusyCursor m_cursor;
};

// Message of any failure; the management interface's own messages are UTF-8.
QString ErrorText(const std::exception& e) {
    if (dynamic_cast<const ManagementError*>(&e)) return QString::fromUtf8(e.what());
    return MessageOf(e);
}

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

QString NotFound(const QString& name) {
    return QStringLiteral("!!!ไม่พบ Network Adapter \"") + name +
           QStringLiteral("\" ตรวจสอบการ Enable NIC.");
}

// Why a step was not made, as its log text: "<failed> Code: n" for an interface with codes,
// else "<failed> " and the backend's reason; a failure of the interface itself is its message.
QString StepFailure(const StepResult& step, const char* failed) {
    if (step.outcome == StepResult::Outcome::Failed) return QString::fromStdString(step.reason);
    if (step.code)
        return QLatin1String(failed) + QStringLiteral(" Code: ") + QString::number(*step.code);
    const QString reason =
        step.reason.empty() ? QStringLiteral("Not made.") : QString::fromStdString(step.reason);
    return QLatin1String(failed) + u' ' + reason;
}

// A static step counts only when made outright (a restart-needed code is a refusal here).
void Require(const StepResult& step, const char* failed) {
    if (!step.done()) throw Exception(StepFailure(step, failed));
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

// Both steps are always tried on the matched adapter and each is judged by its own outcome; the
// closing line stands for both made, otherwise each failure gets its line. The not-found and
// step texts carry their own "!!!" mark; other errors get the "!!!Error: " prefix.
void TfNIC::SetDHCPClient(const QString& name) {
    AddNICLog(QStringLiteral(">>>>> Start Set DHCP-Client NIC.: ") + name);
    QStringList failures;
    bool restart = false;
    QString noLease;
    {
        Busy busy(*this);
        try {
            if (name.isEmpty()) throw Exception(QStringLiteral("เลือก Network Interface Card"));
            const DhcpResult r = m_management->SwitchToDhcp(utf8(name));
            if (r.matched.empty()) {
                failures << NotFound(name);
            } else {
                const std::pair<const StepResult*, const char*> steps[] = {
                    {&r.dhcp, "!!!Error Enable DHCP failed."},
                    {&r.dns, "!!!Error Set DNSServer failed."}};
                for (const auto& [step, failed] : steps) {
                    if (step->outcome == StepResult::Outcome::Failed)  // the interface's message
                        failures << QStringLiteral("!!!Error: ") + StepFailure(*step, failed);
                    else if (!step->made())
                        failures << StepFailure(*step, failed);
                    restart = restart || step->outcome == StepResult::Outcome::RestartNeeded;
                }
                noLease = QString::fromStdString(r.noLease);
            }
        } catch (const std::exception& e) {
            failures << QStringLiteral("!!!Error: ") + ErrorText(e);
        }
    }
    for (const QString& f : failures) AddNICLog(f);
    if (!failures.isEmpty()) return;
    AddNICLog(QStringLiteral(">>> Set DHCP-Client NIC: ") + name + QStringLiteral("Successfully.") +
              (restart ? QStringLiteral(" (Code: 1, restart the computer to complete the change)")
                       : QString()));
    if (!noLease.isEmpty()) AddNICLog(QStringLiteral("!!!Warning: ") + noLease);
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

// The whole configuration goes to the interface at once; its step outcomes are logged in order,
// up to the first that was not made.
void TfNIC::SetStaticIP(const QString& name, const QString& address, const QString& mask,
                        const QString& gateway, const QString& dns1, const QString& dns2) {
    Busy busy(*this);
    try {
        AddNICLog(QStringLiteral(">>>>> Start Set Static-IP NIC.: ") + name);
        const StaticResult r = m_management->ApplyStatic(
            utf8(name), {utf8(address), utf8(mask), utf8(gateway), utf8(dns1), utf8(dns2)});
        if (r.matched.empty()) throw Exception(NotFound(name));
        Require(r.address, "!!!Error Enable Static failed.");
        AddNICLog(QStringLiteral(">>> Set IP-Address: ") + address);
        Require(r.gateway, "!!!Error Set Gateways failed.");
        AddNICLog(QStringLiteral(">>> Set IP-Gateway: ") + gateway);
        Require(r.dns, "!!!Error Set DNSServer failed.");
        AddNICLog(QStringLiteral(">>> Set Primary/Secoundary DNS: ") + dns1 + u'/' + dns2);
        AddNICLog(QStringLiteral(">>> Set Static-IP NIC.: ") + name +
                  QStringLiteral("Successfully..."));
    } catch (const std::exception& e) {
        AddNICLog(QStringLiteral("!!! Error Set Static-IP: ") + ErrorText(e));
    }
    LoadNICList();
}
