// The management interface as the adapter tool drives it: list the IP-enabled configurations,
// or configure the first whose description holds a name, printing each step's outcome.
#include <cstdio>

#include "adapter/ManagementInterface.h"
#include "tests/win/WinCheck.h"

namespace {

template <class Action>
int Guarded(Action action) {
    try {
        return action(*CreateManagementInterface());
    } catch (const ManagementError& e) {
        std::printf("management error: %s\n", e.what());
        return 1;
    }
}

bool Report(const char* call, const StepResult& r) {
    using O = StepResult::Outcome;
    const char* what = r.outcome == O::Done            ? "done"
                       : r.outcome == O::RestartNeeded ? "done, restart needed"
                       : r.outcome == O::Refused       ? "refused"
                       : r.outcome == O::Failed        ? "management error"
                                                       : "not tried";
    if (r.code)
        std::printf("%s: %s, code %u %s\n", call, what, *r.code, r.reason.c_str());
    else
        std::printf("%s: %s%s%s\n", call, what, r.reason.empty() ? "" : ": ", r.reason.c_str());
    return r.made();
}

bool Matched(const std::string& matched, const std::string& name) {
    if (matched.empty())
        std::printf("no IP-enabled adapter matches \"%s\"\n", name.c_str());
    else
        std::printf("matched: %s\n", matched.c_str());
    return !matched.empty();
}

}  // namespace

int ListConfigurations(const Args&) {
    return Guarded([](ManagementInterface& mi) {
        const auto descriptions = mi.IPEnabledDescriptions();
        for (const auto& d : descriptions) std::printf("ip-enabled|%s\n", d.c_str());
        std::printf("ip-enabled configurations: %d\n", static_cast<int>(descriptions.size()));
        return 0;
    });
}

// args: name address mask gateway dns1 dns2
int ConfigureStatic(const Args& a) {
    if (a.size() != 6) {
        std::printf("usage: wmi-static name address mask gateway dns1 dns2\n");
        return 2;
    }
    return Guarded([&](ManagementInterface& mi) {
        const StaticResult r = mi.ApplyStatic(a[0], {a[1], a[2], a[3], a[4], a[5]});
        if (!Matched(r.matched, a[0])) return 1;
        const bool ok = Report("EnableStatic", r.address) && Report("SetGateways", r.gateway) &&
                        Report("SetDNSServerSearchOrder", r.dns);
        return ok ? 0 : 1;
    });
}

// args: name
int ConfigureDhcp(const Args& a) {
    if (a.size() != 1) {
        std::printf("usage: wmi-dhcp name\n");
        return 2;
    }
    return Guarded([&](ManagementInterface& mi) {
        const DhcpResult r = mi.SwitchToDhcp(a[0]);
        if (!Matched(r.matched, a[0])) return 1;
        const bool dhcp = Report("EnableDHCP", r.dhcp);
        const bool dns = Report("SetDNSServerSearchOrder", r.dns);
        return dhcp && dns ? 0 : 1;
    });
}
