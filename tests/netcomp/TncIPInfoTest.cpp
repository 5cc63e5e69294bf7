#include <gtest/gtest.h>

#include <QRegularExpression>
#include <sstream>

#include "netcomp/adapters/TncIPInfo.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"

namespace {

struct Seen {
    QString description, ip, mask, gateway, dns, mac, type;
};

Seen Read(TncIPInfo& info, int index) {
    info.setAdapterIndex(index);
    return {info.AdapterDescription(), info.AdapterIPAddress(),  info.AdapterSubnetMask(),
            info.AdapterGateway(),     info.AdapterDNSServers(), info.AdapterPhysicalAddress(),
            info.AdapterType()};
}

AdapterRecord Record(const std::string& name, const std::string& ip) {
    AdapterRecord r;
    r.description = r.osName = name;
    r.ipAddress = ip;
    return r;
}

}  // namespace

// The adapters of a namespace whose addressing, route and resolver the test sets up.
TEST(TncIPInfo, ReadsTheAdaptersOfTheNamespace) {
    VT_REQUIRE_ROOT();
    NetNs host("ipinfo"), peer("ipinfo");
    Link(host, "vti0", "10.77.1.2/24", peer, "vtp0", "10.77.1.1/24");
    host.exec("ip link set vti0 address 02:1a:2b:3c:4d:5e");
    host.exec("ip route add default via 10.77.1.1 dev vti0");
    // A second link with no address and no route, created after the first.
    host.exec("ip link add vtz0 type veth peer name vtz1 && ip link set vtz0 up");
    host.exec("ip addr add 10.77.2.9/16 dev vtz1");
    host.setResolvConf(
        "# test resolver\nnameserver 10.77.1.53\nnameserver fe80::1\n"
        "search example\nnameserver 10.77.1.54\n");

    NsEnter in(host);
    TncIPInfo info;
    ASSERT_EQ(info.AdapterCount(), 3) << "loopback is not an adapter";
    EXPECT_EQ(info.AdapterIndex(), 0);

    struct Expect {
        const char* description;
        const char* ip;
        const char* mask;
        const char* gateway;
    } expected[] = {
        // Ascending interface index: the order the links were made in.
        {"vti0", "10.77.1.2", "255.255.255.0", "10.77.1.1"},
        {"vtz1", "10.77.2.9", "255.255.0.0", ""},
        {"vtz0", "", "", ""},
    };
    // vtz0 and vtz1 are made in one command; whichever got the lower index comes first.
    std::istringstream order(host.out("ip -o link | cut -d: -f2 | tr -d \" \" | cut -d@ -f1"));
    std::vector<std::string> names;
    for (std::string n; order >> n;)
        if (n != "lo") names.push_back(n);
    ASSERT_EQ(names.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const Seen s = Read(info, i);
        EXPECT_EQ(s.description.toStdString(), names[static_cast<size_t>(i)]);
        for (const auto& e : expected) {
            if (s.description != e.description) continue;
            EXPECT_EQ(s.ip, e.ip) << e.description;
            EXPECT_EQ(s.mask, e.mask) << e.description;
            EXPECT_EQ(s.gateway, e.gateway) << e.description;
        }
        EXPECT_EQ(s.dns, "10.77.1.53 10.77.1.54") << "IPv4 servers of the namespace's resolver";
        EXPECT_EQ(s.type, "Ethernet");
        EXPECT_TRUE(QRegularExpression("^([0-9A-F]{2}-){5}[0-9A-F]{2}$").match(s.mac).hasMatch())
            << s.mac.toStdString();
    }
    EXPECT_EQ(Read(info, 0).mac, "02-1A-2B-3C-4D-5E");
    EXPECT_FALSE(info.AdapterDHCPEnabled());
    EXPECT_EQ(info.AdapterDHCPServer(), "");
    EXPECT_EQ(info.AdapterLeaseExpires(), "");
}

TEST(TncIPInfo, NamespaceWithOnlyLoopbackHasNoAdapters) {
    VT_REQUIRE_ROOT();
    NetNs empty("ipinfo");
    NsEnter in(empty);
    TncIPInfo info;
    EXPECT_EQ(info.AdapterCount(), 0);
    EXPECT_NO_THROW(info.setAdapterIndex(0));
    EXPECT_EQ(info.AdapterDescription(), "");
}

TEST(TncIPInfo, IndexOutsideTheListSelectsNothing) {
    TncIPInfo info([] { return AdapterQueryResult{{Record("a", "10.0.0.1")}, 0, {}}; });
    for (int index : {-1, 1, 1000}) {
        EXPECT_NO_THROW(info.setAdapterIndex(index));
        EXPECT_EQ(info.AdapterIndex(), index);
        EXPECT_EQ(info.AdapterDescription(), "");
        EXPECT_EQ(info.AdapterIPAddress(), "");
        EXPECT_FALSE(info.AdapterDHCPEnabled());
        EXPECT_THROW(info.DHCPRelease(), EncIPInfo);
        EXPECT_THROW(info.DHCPRenew(), EncIPInfo);
    }
    info.setAdapterIndex(0);
    EXPECT_EQ(info.AdapterIPAddress(), "10.0.0.1");
}

TEST(TncIPInfo, FailingQueryReadsEmptyAndRefusesTheIndex) {
    TncIPInfo info([] { return AdapterQueryResult{{}, 13, "Permission denied"}; });
    EXPECT_EQ(info.AdapterCount(), 0);
    EXPECT_EQ(info.AdapterDescription(), "");
    try {
        info.setAdapterIndex(0);
        FAIL() << "no error";
    } catch (const EncIPInfo& e) {
        EXPECT_TRUE(e.message().contains("Permission denied")) << e.message().toStdString();
    }
}

TEST(TncIPInfo, ServiceAddsDhcpStateAndActsOnTheSelectedAdapter) {
    struct Service : AdapterService {
        std::string released;
        void enrich(std::vector<AdapterRecord>& adapters) override {
            for (auto& a : adapters) {
                a.dhcpEnabled = a.osName == "b";
                if (a.dhcpEnabled) a.dhcpServer = "10.0.0.254";
            }
        }
        void release(const AdapterRecord& a) override { released = a.osName; }
    };
    auto service = std::make_shared<Service>();
    TncIPInfo info(
        [] {
            return AdapterQueryResult{{Record("a", "10.0.0.1"), Record("b", "10.0.0.2")}, 0, {}};
        },
        service);
    info.setAdapterIndex(1);
    EXPECT_TRUE(info.AdapterDHCPEnabled());
    EXPECT_EQ(info.AdapterDHCPServer(), "10.0.0.254");
    info.DHCPRelease();
    EXPECT_EQ(service->released, "b");
    EXPECT_THROW(info.DHCPRenew(), EncIPInfo);  // the default refuses
}

// One snapshot per list: filling a list of n adapters queries the OS once, picking one reads that
// adapter's details again (once per pick), and positions hold until AdapterCount is read again.
TEST(TncIPInfo, OneSnapshotPerListAndDetailsReadAgainWhenShown) {
    struct Counting : AdapterService {
        std::vector<std::string> enriched;
        void enrich(std::vector<AdapterRecord>& adapters) override {
            for (auto& a : adapters) enriched.push_back(a.osName);
        }
    };
    auto service = std::make_shared<Counting>();
    std::vector<AdapterRecord> os{Record("a", "10.0.0.1"), Record("b", "10.0.0.2")};
    os[0].osIndex = 5;
    os[1].osIndex = 7;
    int queries = 0;
    TncIPInfo info(
        [&] {
            ++queries;
            return AdapterQueryResult{os, 0, {}};
        },
        service);
    EXPECT_EQ(queries, 0);  // nothing read before a list is filled
    const int count = info.AdapterCount();
    QStringList names;
    for (int i = 0; i < count; ++i) {
        info.setAdapterIndex(i);
        names << info.AdapterDescription();
    }
    EXPECT_EQ(names, QStringList({"a", "b"}));
    EXPECT_EQ(queries, 1);
    EXPECT_TRUE(service->enriched.empty());

    // An adapter appears before the others and b's address changes: the pick still names b, with
    // b's address as it is now.
    AdapterRecord c = Record("c", "10.0.0.3");
    c.osIndex = 2;
    os.insert(os.begin(), c);
    os[2].ipAddress = "10.0.0.9";
    info.setAdapterIndex(1);
    EXPECT_EQ(info.AdapterDescription(), "b");
    EXPECT_EQ(info.AdapterIPAddress(), "10.0.0.9");
    EXPECT_EQ(info.AdapterGateway(), "");
    EXPECT_EQ(queries, 2);  // one read for all of b's details
    EXPECT_EQ(service->enriched, std::vector<std::string>{"b"});

    // a goes away: it still reads by its name, without addressing.
    os.erase(os.begin() + 1);
    info.setAdapterIndex(0);
    EXPECT_EQ(info.AdapterDescription(), "a");
    EXPECT_EQ(info.AdapterIPAddress(), "");

    // A new fill takes the new order.
    EXPECT_EQ(info.AdapterCount(), 2);
    info.setAdapterIndex(0);
    EXPECT_EQ(info.AdapterDescription(), "c");
}
