#pragma once

// Scripted stand-ins for the adapter tool's window tests: an adapter-information component fed
// from a list the test controls, a management interface that journals every call and answers
// with the codes and failures the test scripts, and the scripted boxes of tests/support.

#include <QApplication>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "adapter/ManagementInterface.h"
#include "netcomp/adapters/TncIPInfo.h"

// The real component over a scripted adapter list; release/renew run the test's hooks.
class ScriptedIPInfo : public TncIPInfo {
  public:
    explicit ScriptedIPInfo(std::shared_ptr<std::vector<AdapterRecord>> adapters)
        : TncIPInfo([adapters] {
              return AdapterQueryResult{*adapters, 0, {}};
          }) {}

    void setAdapterIndex(int index) override {
        indexes.push_back(index);
        TncIPInfo::setAdapterIndex(index);
    }
    void DHCPRelease() override { run(onRelease, "release"); }
    void DHCPRenew() override { run(onRenew, "renew"); }

    std::vector<int> indexes;         // every AdapterIndex written, in order
    std::vector<int> actedOn;         // AdapterIndex at each release / renew
    std::function<void()> onRelease;  // may throw or change the adapters
    std::function<void()> onRenew;

  private:
    void run(const std::function<void()>& hook, const char*) {
        actedOn.push_back(AdapterIndex());
        if (hook) hook();
    }
};

// Journal of the management interface calls, and what each configuration answers.
struct ManagementScript {
    struct Config {
        std::string description;
        // step name (EnableStatic, SetGateways, SetDNSServerSearchOrder, EnableDHCP) -> Windows
        // code; 0 when absent, 1 reads as made with a restart needed.
        std::map<std::string, std::uint32_t> codes;
        // step name -> a refusal in words without a code (as NetworkManager gives).
        std::map<std::string, std::string> reasons = {};
        // step name -> the interface failing during the step, with this message.
        std::map<std::string, std::string> failures = {};
    };
    std::vector<Config> configs;
    std::string connectError;  // non-empty: every call throws ManagementError with it
    std::string noLease;       // what SwitchToDhcp reports about a missing lease
    QStringList journal;
    // What the window looked like during the last configuring call.
    bool controlsEnabledDuringCall = true;
    bool hourglassDuringCall = false;
    std::function<bool()> controlsEnabled;  // set by the test to read the window
};

class ScriptedManagement : public ManagementInterface {
  public:
    explicit ScriptedManagement(std::shared_ptr<ManagementScript> s) : m_s(std::move(s)) {}

    std::vector<std::string> IPEnabledDescriptions() override {
        enter("IPEnabledDescriptions");
        std::vector<std::string> r;
        for (const auto& c : m_s->configs) r.push_back(c.description);
        return r;
    }
    StaticResult ApplyStatic(const std::string& name, const StaticAddressing& v) override {
        enter("ApplyStatic " + name + " " + v.address + "/" + v.mask + " " + v.gateway + " " +
              v.dns1 + "," + v.dns2);
        StaticResult r;
        const int i = find(name, r.matched);
        if (i < 0) return r;
        r.address = step(i, "EnableStatic");
        if (!r.address.done()) return r;
        r.gateway = step(i, "SetGateways");
        if (!r.gateway.done()) return r;
        r.dns = step(i, "SetDNSServerSearchOrder");
        return r;
    }
    DhcpResult SwitchToDhcp(const std::string& name) override {
        enter("SwitchToDhcp " + name);
        DhcpResult r;
        const int i = find(name, r.matched);
        if (i < 0) return r;
        r.dhcp = step(i, "EnableDHCP");
        r.dns = step(i, "SetDNSServerSearchOrder");
        r.noLease = m_s->noLease;
        return r;
    }

  private:
    void enter(const std::string& call) {
        m_s->journal << QString::fromStdString(call);
        if (m_s->controlsEnabled) m_s->controlsEnabledDuringCall = m_s->controlsEnabled();
        m_s->hourglassDuringCall = QApplication::overrideCursor() &&
                                   QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        if (!m_s->connectError.empty()) throw ManagementError(m_s->connectError);
    }
    int find(const std::string& name, std::string& matched) {
        for (size_t i = 0; i < m_s->configs.size(); ++i)
            if (DescriptionMatches(m_s->configs[i].description, name)) {
                matched = m_s->configs[i].description;
                return int(i);
            }
        return -1;
    }
    StepResult step(int i, const std::string& name) {
        m_s->journal << QString::fromStdString(name + " " + std::to_string(i));
        const auto& c = m_s->configs[size_t(i)];
        if (auto f = c.failures.find(name); f != c.failures.end())
            return StepResult::Fail(f->second);
        if (auto f = c.reasons.find(name); f != c.reasons.end())
            return StepResult::Refuse(f->second);
        auto it = c.codes.find(name);
        const std::uint32_t code = it == c.codes.end() ? 0 : it->second;
        if (code == 0) return StepResult::Made(code);
        if (code == 1) return {StepResult::Outcome::RestartNeeded, code, "reboot required"};
        return StepResult::Refuse("refused", code);
    }
    std::shared_ptr<ManagementScript> m_s;
};
