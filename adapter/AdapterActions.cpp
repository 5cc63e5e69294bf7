#include "adapter/AdapterActions.h"

#include <QStringList>
#include <utility>

#include "adapter/ManagementInterface.h"
#include "address/uIPTool.h"
#include "common/Exception.h"
#include "netcomp/adapters/TncIPInfo.h"

namespace {

// The window busy for the guard's lifetime.
class Busy {
  public:
    explicit Busy(const std::function<void(bool)>& busy) : m_busy(busy) { m_busy(true); }
    ~Busy() { m_busy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    const std::function<void(bool)>& m_busy;
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

AdapterActions::AdapterActions(TncIPInfo& ipInfo, ManagementInterface& management, LogSink log,
                               Window window)
    : m_ipInfo(ipInfo),
      m_management(management),
      m_log(std::move(log)),
      m_window(std::move(window)) {}

void AdapterActions::DHCPLease(bool release) {
    Busy busy(m_window.busy);
    try {
        if (release)
            m_ipInfo.DHCPRelease();
        else
            m_ipInfo.DHCPRenew();
        m_log((release ? QStringLiteral(">>> DHCP Release NIC.: ")
                       : QStringLiteral(">>> DHCP Renew NIC.: ")) +
              m_ipInfo.AdapterDescription() + QStringLiteral(" successfully."));
        m_window.showAdapterInfo();
    } catch (const std::exception& e) {
        m_log(QStringLiteral("!!!Error: ") + ErrorText(e));
    }
}

// Both steps are always tried on the matched adapter and each is judged by its own outcome; the
// closing line stands for both made, otherwise each failure gets its line. The not-found and
// step texts carry their own "!!!" mark; other errors get the "!!!Error: " prefix.
void AdapterActions::SetDHCPClient(const QString& name) {
    m_log(QStringLiteral(">>>>> Start Set DHCP-Client NIC.: ") + name);
    QStringList failures;
    bool restart = false;
    QString noLease;
    {
        Busy busy(m_window.busy);
        try {
            if (name.isEmpty()) throw Exception(QStringLiteral("เลือก Network Interface Card"));
            const DhcpResult r = m_management.SwitchToDhcp(utf8(name));
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
    for (const QString& f : failures) m_log(f);
    if (!failures.isEmpty()) return;
    m_log(QStringLiteral(">>> Set DHCP-Client NIC: ") + name + QStringLiteral("Successfully.") +
          (restart ? QStringLiteral(" (Code: 1, restart the computer to complete the change)")
                   : QString()));
    if (!noLease.isEmpty()) m_log(QStringLiteral("!!!Warning: ") + noLease);
}

bool AdapterActions::CheckIPInputs(const QString& address, const QString& mask,
                                   const QString& gateway, const QString& dns1) {
    return IsValidIPv4(address) && IsValidIPv4(mask) && IsValidIPv4(gateway) && IsValidIPv4(dns1);
}

std::optional<AdapterActions::InputProblem> AdapterActions::CheckStatic(const QString& name,
                                                                        const QString& address,
                                                                        const QString& mask,
                                                                        const QString& gateway,
                                                                        const QString& dns1) {
    if (!CheckIPInputs(address, mask, gateway, dns1))
        return InputProblem{QStringLiteral("ใส่ Format IP ไม่ถูกต้อง!")};
    if (name.isEmpty()) return InputProblem{QStringLiteral("เลือก Network Interface Card")};
    if (!SameSubnet(gateway, address, mask))
        return InputProblem{QStringLiteral("IP Gateway: ") + gateway +
                                QStringLiteral(" ไม่ได้อยู่ใน Network เดียวกับ ") + address + u'/' + mask,
                            true};
    return std::nullopt;
}

void AdapterActions::SetStaticIP(const QString& name, const QString& address, const QString& mask,
                                 const QString& gateway, const QString& dns1, const QString& dns2) {
    Busy busy(m_window.busy);
    try {
        m_log(QStringLiteral(">>>>> Start Set Static-IP NIC.: ") + name);
        const StaticResult r = m_management.ApplyStatic(
            utf8(name), {utf8(address), utf8(mask), utf8(gateway), utf8(dns1), utf8(dns2)});
        if (r.matched.empty()) throw Exception(NotFound(name));
        Require(r.address, "!!!Error Enable Static failed.");
        m_log(QStringLiteral(">>> Set IP-Address: ") + address);
        Require(r.gateway, "!!!Error Set Gateways failed.");
        m_log(QStringLiteral(">>> Set IP-Gateway: ") + gateway);
        Require(r.dns, "!!!Error Set DNSServer failed.");
        m_log(QStringLiteral(">>> Set Primary/Secoundary DNS: ") + dns1 + u'/' + dns2);
        m_log(QStringLiteral(">>> Set Static-IP NIC.: ") + name +
              QStringLiteral("Successfully..."));
    } catch (const std::exception& e) {
        m_log(QStringLiteral("!!! Error Set Static-IP: ") + ErrorText(e));
    }
    m_window.loadNICList();
}
