// The NetworkManager backend of the management interface, against a NetworkManager confined to a
// namespace of its own (see NmLab): nothing here touches the machine's adapters.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "ManagementInterface.h"
#include "NmLab.h"
#include "Root.h"

namespace {

std::unique_ptr<AdapterConfiguration> FindConfiguration(ManagementConnection& c,
                                                        const std::string& name) {
    auto e = c.QueryIPEnabled();
    while (auto config = e->Next())
        if (config->Description().find(name) != std::string::npos) return config;
    return nullptr;
}

std::string Addresses(const NmLab& lab) {
    return lab.ns().out(std::string("ip -4 -o addr show dev ") + NmLab::kIface);
}

}  // namespace

TEST(NetworkManagerBackend, StaticThenBackToDhcp) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    auto mi = CreateManagementInterface();
    auto connection = mi->Connect();
    auto config = FindConfiguration(*connection, NmLab::kIface);
    ASSERT_TRUE(config);

    ASSERT_EQ(config->EnableStatic({"10.77.0.20"}, {"255.255.255.0"}), 0u) << config->LastError();
    ASSERT_EQ(config->SetGateways({NmLab::kServer}, {1}), 0u) << config->LastError();
    ASSERT_EQ(config->SetDNSServerSearchOrder(std::vector<std::string>{"10.77.0.1", "10.77.0.2"}),
              0u)
        << config->LastError();
    EXPECT_NE(Addresses(lab).find("10.77.0.20/24"), std::string::npos) << Addresses(lab);
    const std::string shown =
        lab.nmcli(std::string("-g IP4.GATEWAY,IP4.DNS dev show ") + NmLab::kIface);
    EXPECT_NE(shown.find("10.77.0.1"), std::string::npos) << shown;
    EXPECT_NE(shown.find("10.77.0.2"), std::string::npos) << shown;

    ASSERT_EQ(config->EnableDHCP(), 0u) << config->LastError();
    ASSERT_EQ(config->SetDNSServerSearchOrder(std::nullopt), 0u) << config->LastError();
    const std::string after = Addresses(lab);
    EXPECT_EQ(after.find("10.77.0.20/24"), std::string::npos) << after;
    EXPECT_NE(after.find("dynamic"), std::string::npos) << after;
}

TEST(NetworkManagerBackend, RefusedValuesGiveCodesWithReasons) {
    VT_REQUIRE_ROOT();
    NmLab lab;
    auto connection = CreateManagementInterface()->Connect();
    auto config = FindConfiguration(*connection, NmLab::kIface);
    ASSERT_TRUE(config);
    using Dns = std::vector<std::string>;
    struct Case {
        const char* what;
        std::function<std::uint32_t()> call;
        std::uint32_t code;
    } cases[] = {
        {"address", [&] { return config->EnableStatic({"10.77.0"}, {"255.255.255.0"}); }, 70},
        {"mask", [&] { return config->EnableStatic({"10.77.0.20"}, {"255.0.255.0"}); }, 66},
        {"gateway", [&] { return config->SetGateways({"10.77.0.256"}, {1}); }, 71},
        {"empty second DNS",
         [&] {
             return config->SetDNSServerSearchOrder(Dns{"10.77.0.1", ""});
         },
         70},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.code) << c.what;
        EXPECT_FALSE(config->LastError().empty()) << c.what;
    }
    // Refused values change nothing: the lease is still there.
    EXPECT_NE(Addresses(lab).find("dynamic"), std::string::npos) << Addresses(lab);
}

TEST(NetworkManagerBackend, NetworkManagerNotRunning) {
    VT_REQUIRE_ROOT();
    NmLab lab(false);
    lab.stopNetworkManager();
    try {
        CreateManagementInterface()->Connect();
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
        CreateManagementInterface()->Connect();
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
