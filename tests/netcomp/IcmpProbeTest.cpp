#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "netcomp/icmp/IcmpProbe.h"
#include "tests/netcomp/TestAddress.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"
#include "tests/support/RouteChain.h"

using namespace icmp;

namespace {

constexpr std::uint32_t kLoopback = 0x7f000001;

// Waits until every request in flight has ended (bounded), keyed by id.
std::map<std::uint64_t, EchoResult> Collect(IcmpProbe& probe, int boundMs = 5000) {
    std::map<std::uint64_t, EchoResult> all;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (probe.inFlight() > 0 && std::chrono::steady_clock::now() < until)
        for (EchoResult& r : probe.wait(100)) all[r.id] = r;
    return all;
}

struct KindCase {
    SocketKind kind;
    const char* name;
};
const KindCase kKinds[] = {{SocketKind::Raw, "raw"}, {SocketKind::Datagram, "datagram"}};

// A namespace where both socket kinds are permitted (datagram sockets need the group range).
void AllowDatagram(const NetNs& ns) {
    ns.exec("sysctl -qw net.ipv4.ping_group_range=\"0 2147483647\"");
}

}  // namespace

TEST(IcmpProbe, SeveralEchoesInFlightOnLoopbackAmidOtherPings) {
    VT_REQUIRE_ROOT();
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.name);
        NetNs ns("reach");
        AllowDatagram(ns);
        // Someone else pings the same address all along: their replies must not count as ours.
        ns.spawn("ping -q -i 0.002 -c 3000 127.0.0.1");
        NsEnter in(ns);
        auto probe = OpenIcmpProbe(0, k.kind);
        std::map<std::uint64_t, int> sizes;
        for (int size : {0, 32, 5000}) sizes[probe->send({kLoopback, 0, size, 2000})] = size;
        const auto results = Collect(*probe);
        ASSERT_EQ(results.size(), 3u);
        for (const auto& [id, r] : results) {
            SCOPED_TRACE(sizes[id]);
            EXPECT_TRUE(sizes.count(id));
            EXPECT_EQ(r.outcome, Outcome::Reply);
            EXPECT_EQ(r.from, kLoopback);
            EXPECT_GE(r.rttMs, 0.0);
            EXPECT_LT(r.rttMs, 1000.0);
        }
        EXPECT_TRUE(probe->wait(50).empty()) << "nothing more ends";
    }
}

TEST(IcmpProbe, DatagramSocketRefusedSaysHowToAllowIt) {
    VT_REQUIRE_ROOT();
    NetNs ns("reach");
    ns.exec("sysctl -qw net.ipv4.ping_group_range=\"1 0\"");
    NsEnter in(ns);
    try {
        OpenIcmpProbe(0, SocketKind::Datagram);
        FAIL() << "opened although no group may";
    } catch (const ProbeError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("ping_group_range"), std::string::npos) << text;
        EXPECT_EQ(text.find("cap_net_raw"), std::string::npos) << text;  // no rights to the GUI
    }
    // Automatic falls back to the raw socket root may open.
    EXPECT_NO_THROW(OpenIcmpProbe(0, SocketKind::Automatic));
}

TEST(IcmpProbe, SourceMustBeLocal) {
    VT_REQUIRE_ROOT();
    NetNs ns("reach");
    NsEnter in(ns);
    try {
        OpenIcmpProbe(Ip("10.99.99.99"), SocketKind::Raw);
        FAIL() << "a foreign source was accepted";
    } catch (const ProbeError& e) {
        EXPECT_NE(std::string(e.what()).find("10.99.99.99"), std::string::npos) << e.what();
    }
}

// Client -> r1 -> server: a router's answers and a dropped echo, for each socket kind.
TEST(IcmpProbe, RouterErrorsAndSilenceAcrossARouter) {
    VT_REQUIRE_ROOT();
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.name);
        RouteChain chain(1);
        AllowDatagram(chain.client());
        chain.client().exec("ip route add 10.88.0.0/16 via " + chain.text(chain.hopAddress(1)));
        chain.router(1).exec("ip route add unreachable 10.88.0.0/16");
        chain.server().exec(
            "nft add table ip t && nft add chain ip t in "
            "{ type filter hook input priority 0 \\; } && "
            "nft add rule ip t in icmp type echo-request drop");
        NsEnter in(chain.client());
        auto probe = OpenIcmpProbe(0, k.kind);
        const auto ttl1 = probe->send({chain.serverAddress(), 1, 32, 2000});
        const auto unreachable = probe->send({Ip("10.88.0.1"), 0, 32, 2000});
        const auto dropped = probe->send({chain.serverAddress(), 0, 32, 300});
        const auto results = Collect(*probe);
        ASSERT_EQ(results.size(), 3u);
        EXPECT_EQ(results.at(ttl1).outcome, Outcome::TimeExceeded);
        EXPECT_EQ(results.at(ttl1).from, chain.hopAddress(1));
        EXPECT_EQ(results.at(unreachable).outcome, Outcome::Unreachable);
        EXPECT_EQ(results.at(unreachable).from, chain.hopAddress(1));
        EXPECT_EQ(results.at(unreachable).icmpCode, 1);  // host unreachable
        EXPECT_EQ(results.at(dropped).outcome, Outcome::TimedOut);
    }
}

// The same over IPv6: echoes on loopback, then a router's time exceeded and unreachable, a
// prohibited route and a dropped echo, for each socket kind.
TEST(IcmpProbe, IPv6EchoesAndRouterErrors) {
    VT_REQUIRE_ROOT();
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.name);
        RouteChain chain(1);
        AllowDatagram(chain.client());
        chain.client().exec("ip -6 route add fd88::/16 via " + chain.hopAddress6(1));
        chain.router(1).exec(
            "ip -6 route add unreachable fd88:1::/32 && "
            "ip -6 route add prohibit fd88:2::/32");
        chain.server().exec(
            "nft add table ip6 t && nft add chain ip6 t in "
            "{ type filter hook input priority 0 \\; } && "
            "nft add rule ip6 t in icmpv6 type echo-request ip6 hoplimit 199 drop");
        NsEnter in(chain.client());
        auto probe = OpenIcmpProbe(Address::AnyIPv6(), k.kind);
        const Address server = Ip(chain.serverAddress6());
        std::map<std::uint64_t, const char*> what;
        const auto loop = probe->send({Ip("::1"), 0, 5000, 2000});
        const auto reply = probe->send({server, 0, 32, 2000});
        const auto hop1 = probe->send({server, 1, 32, 2000});
        const auto unreachable = probe->send({Ip("fd88:1::1"), 0, 32, 2000});
        const auto prohibited = probe->send({Ip("fd88:2::1"), 0, 32, 2000});
        const auto dropped = probe->send({server, 200, 32, 300});  // arrives with hop limit 199
        const auto results = Collect(*probe);
        ASSERT_EQ(results.size(), 6u);
        EXPECT_EQ(results.at(loop).outcome, Outcome::Reply);
        EXPECT_EQ(results.at(loop).from, Ip("::1"));
        EXPECT_EQ(results.at(reply).outcome, Outcome::Reply);
        EXPECT_EQ(results.at(reply).from, server);
        EXPECT_EQ(results.at(hop1).outcome, Outcome::TimeExceeded);
        EXPECT_EQ(results.at(hop1).from, Ip(chain.hopAddress6(1)));
        EXPECT_EQ(results.at(unreachable).outcome, Outcome::Unreachable);
        EXPECT_EQ(results.at(unreachable).from, Ip(chain.hopAddress6(1)));
        EXPECT_EQ(results.at(unreachable).icmpCode, 0);  // no route: the net is unreachable
        EXPECT_EQ(results.at(prohibited).outcome, Outcome::Unreachable);
        EXPECT_EQ(results.at(prohibited).icmpCode, 13);
        EXPECT_EQ(results.at(dropped).outcome, Outcome::TimedOut);
        EXPECT_THROW(probe->send({server.v6 ? Address(kLoopback) : server, 0, 32, 100}), ProbeError)
            << "an IPv6 prober sends no IPv4 echo";
    }
}
