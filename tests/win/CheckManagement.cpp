// The management interface as the adapter tool drives it: list the IP-enabled configurations,
// or configure the first whose description holds a name, printing each call's outcome.
#include <cstdio>

#include "ManagementInterface.h"
#include "WinCheck.h"

namespace {

// Initialize/Uninitialize paired around the whole action, the objects released before the end.
template <class Action>
int WithInterface(Action action) {
    auto mi = CreateManagementInterface();
    mi->Initialize();
    int rc = 0;
    try {
        rc = action(*mi);
    } catch (const ManagementError& e) {
        std::printf("management error: %s\n", e.what());
        rc = 1;
    }
    mi->Uninitialize();
    return rc;
}

bool Report(const char* call, std::uint32_t code, AdapterConfiguration& c) {
    std::printf("%s: code %u%s%s\n", call, code, code ? " " : "", c.LastError().c_str());
    return code == 0;
}

}  // namespace

int ListConfigurations(const Args&) {
    return WithInterface([](ManagementInterface& mi) {
        auto connection = mi.Connect();
        auto configurations = connection->QueryIPEnabled();
        int n = 0;
        while (auto c = configurations->Next())
            std::printf("ip-enabled|%s\n", c->Description().c_str()), ++n;
        std::printf("ip-enabled configurations: %d\n", n);
        return 0;
    });
}

// args: name address mask gateway dns1 dns2
int ConfigureStatic(const Args& a) {
    if (a.size() != 6) {
        std::printf("usage: wmi-static name address mask gateway dns1 dns2\n");
        return 2;
    }
    return WithInterface([&](ManagementInterface& mi) {
        auto connection = mi.Connect();
        auto configurations = connection->QueryIPEnabled();
        while (auto c = configurations->Next()) {
            if (c->Description().find(a[0]) == std::string::npos) continue;
            std::printf("matched: %s\n", c->Description().c_str());
            if (!Report("EnableStatic", c->EnableStatic({a[1]}, {a[2]}), *c)) return 1;
            if (!Report("SetGateways", c->SetGateways({a[3]}, {1}), *c)) return 1;
            if (!Report("SetDNSServerSearchOrder", c->SetDNSServerSearchOrder({{a[4], a[5]}}), *c))
                return 1;
            return 0;
        }
        std::printf("no IP-enabled adapter matches \"%s\"\n", a[0].c_str());
        return 1;
    });
}

// args: name
int ConfigureDhcp(const Args& a) {
    if (a.size() != 1) {
        std::printf("usage: wmi-dhcp name\n");
        return 2;
    }
    return WithInterface([&](ManagementInterface& mi) {
        auto connection = mi.Connect();
        auto configurations = connection->QueryIPEnabled();
        while (auto c = configurations->Next()) {
            if (c->Description().find(a[0]) == std::string::npos) continue;
            std::printf("matched: %s\n", c->Description().c_str());
            const bool dhcp = Report("EnableDHCP", c->EnableDHCP(), *c);
            const bool dns =
                Report("SetDNSServerSearchOrder", c->SetDNSServerSearchOrder(std::nullopt), *c);
            return dhcp && dns ? 0 : 1;
        }
        std::printf("no IP-enabled adapter matches \"%s\"\n", a[0].c_str());
        return 1;
    });
}
