#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <stdexcept>

#include "netcomp/icmp/TncPing.h"
#include "tests/netcomp/ScriptedProbe.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"
#include "tests/support/RouteChain.h"

namespace {

QString Q(std::uint32_t address) {
    return QString::fromStdString(RouteChain::text(address));
}

struct Echoes {
    int responses = 0;
    QString source;
    explicit Echoes(TncPing& p) {
        p.OnResponse = [this](TncPing*, int, const QString& from, const QString&, int) {
            ++responses;
            source = from;
        };
    }
};

}  // namespace

TEST(TncPing, EchoOnLoopbackWithEitherSocket) {
    VT_REQUIRE_ROOT();
    for (auto kind : {icmp::SocketKind::Raw, icmp::SocketKind::Datagram}) {
        SCOPED_TRACE(int(kind));
        NetNs ns("reach");
        ns.exec("sysctl -qw net.ipv4.ping_group_range=\"0 2147483647\"");
        NsEnter in(ns);
        TncPing ping;
        ping.setSocketKind(kind);
        Echoes echoes(ping);
        for (int size : {32, 5000}) {
            ping.setPacketSize(size);
            ping.PingHost("127.0.0.1");
        }
        EXPECT_EQ(echoes.responses, 2);
        EXPECT_EQ(echoes.source, "127.0.0.1");
        EXPECT_EQ(ping.ResponseSource(), "127.0.0.1");
        EXPECT_EQ(ping.RemoteHost(), "127.0.0.1");
        EXPECT_GE(ping.ResponseTime(), 0);
        EXPECT_LT(ping.ResponseTime(), 1000);
    }
}

TEST(TncPing, ReplyTimeOutAndUnreachableAcrossNamespaces) {
    VT_REQUIRE_ROOT();
    RouteChain chain(1);
    chain.client().exec("ip route add 10.88.0.0/16 via " + chain.text(chain.hopAddress(1)));
    chain.router(1).exec("ip route add unreachable 10.88.0.0/16");
    NsEnter in(chain.client());
    TncPing ping;
    ping.setTimeout(1);
    Echoes echoes(ping);

    ping.setPacketSize(5000);  // fragmented on the way: larger than the links' MTU
    ping.PingHost(Q(chain.serverAddress()));
    EXPECT_EQ(echoes.responses, 1);
    EXPECT_EQ(ping.ResponseSource(), Q(chain.serverAddress()));

    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost("10.88.0.1"); }),
              "11003: Destination host unreachable (reported by 10.77.1.2)");
    EXPECT_EQ(ping.RemoteHost(), "10.88.0.1");

    chain.server().exec(
        "nft add table ip t && nft add chain ip t in { type filter hook input priority 0 \\; } && "
        "nft add rule ip t in icmp type echo-request drop");
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost(Q(chain.serverAddress())); }),
              "11010: Request timed out");
    EXPECT_GE(t.elapsed(), 900);
    EXPECT_EQ(echoes.responses, 1) << "no response event for a failed echo";
    EXPECT_TRUE(ping.ResponseSource().isEmpty());
}

// The echo leaves from the chosen one of two local addresses: the server answers only one.
TEST(TncPing, SourceAddressChosenAmongTwo) {
    VT_REQUIRE_ROOT();
    RouteChain chain(0);
    chain.client().exec("ip addr add 10.77.1.11/24 dev l1a");
    chain.server().exec(
        "nft add table ip t && nft add chain ip t in { type filter hook input priority 0 \\; } && "
        "nft add rule ip t in ip saddr 10.77.1.1 icmp type echo-request drop");
    NsEnter in(chain.client());
    TncPing ping;
    ping.setTimeout(1);
    const QString server = Q(chain.serverAddress());

    ping.setLocalHost("10.77.1.11");
    EXPECT_NO_THROW(ping.PingHost(server));
    ping.setLocalHost("10.77.1.1");
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost(server); }), "11010: Request timed out");
    ping.setLocalHost("");  // the system's choice is the link's first address
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost(server); }), "11010: Request timed out");
}

// The same component over IPv6: a reply, a router's unreachable, a link-local address with its
// zone, and the IPv4 source adapter that keeps IPv4.
TEST(TncPing, OverIPv6) {
    VT_REQUIRE_ROOT();
    RouteChain chain(1);
    chain.client().exec("ip -6 route add fd88::/16 via " + chain.hopAddress6(1));
    chain.router(1).exec("ip -6 route add unreachable fd88::/16");
    const QString routerLinkLocal = QRegularExpression("fe80::[0-9a-f:]+")
                                        .match(QString::fromStdString(chain.router(1).out(
                                            "ip -6 -o addr show dev l1b scope link")))
                                        .captured();
    NsEnter in(chain.client());
    TncPing ping;
    ping.setTimeout(1);
    Echoes echoes(ping);
    const QString server = QString::fromStdString(chain.serverAddress6());

    ping.setPacketSize(5000);
    ping.PingHost(server);
    EXPECT_EQ(echoes.responses, 1);
    EXPECT_EQ(ping.ResponseSource(), server);
    EXPECT_EQ(ping.RemoteHost(), server);

    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost("fd88::1"); }),
              "11002: Destination net unreachable (reported by fd77:1::2)");

    const QString zoned = routerLinkLocal + "%l1a";
    ping.PingHost(zoned);
    EXPECT_EQ(ping.ResponseSource(), zoned);

    ping.setLocalHost(Q(chain.clientAddress()));
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost(server); }),
              "11001: Cannot reach the IPv6 address " + server + " from an IPv4 source address");
    ping.PingHost(Q(chain.serverAddress()));
    EXPECT_EQ(echoes.responses, 3);
}

TEST(TncPing, RefusedValuesLeaveThePropertyAlone) {
    TncPing ping;
    EXPECT_EQ(ping.PacketSize(), 64);
    EXPECT_EQ(ping.Timeout(), 60);
    for (int size : {31, 5001, 0, -1}) {
        SCOPED_TRACE(size);
        EXPECT_NE(ErrorOf<EncPing>([&] { ping.setPacketSize(size); }), "");
        EXPECT_EQ(ping.PacketSize(), 64);
    }
    for (int seconds : {0, -1, 601}) {
        SCOPED_TRACE(seconds);
        EXPECT_NE(ErrorOf<EncPing>([&] { ping.setTimeout(seconds); }), "");
        EXPECT_EQ(ping.Timeout(), 60);
    }
    ping.setLocalHost("127.0.0.1");
    for (const char* text : {"10.255.254.253", "abc", "127.0.0", " 127.0.0.1", "127.0.0.1 "}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorOf<EncPing>([&] { ping.setLocalHost(text); }),
                  QStringLiteral("11007: \"%1\" is not an IPv4 address of this machine").arg(text));
        EXPECT_EQ(ping.LocalHost(), "127.0.0.1");
    }
    EXPECT_NO_THROW(ping.setLocalHost(""));
}

TEST(TncPing, UnresolvableName) {
    VT_REQUIRE_ROOT();
    NetNs ns("reach");  // only loopback: a name lookup cannot leave it
    NsEnter in(ns);
    TncPing ping;
    ping.setTimeout(1);
    const QString message = ErrorOf<EncPing>([&] { ping.PingHost("no-such-host.invalid"); });
    EXPECT_TRUE(message.startsWith("11001: Cannot resolve host name \"no-such-host.invalid\""))
        << message.toStdString();
    EXPECT_EQ(ping.RemoteHost(), "no-such-host.invalid");
}

// ---- The component against a scripted prober: no sockets, no root ----

namespace {
using icmp::Outcome;
struct ScriptedPing {
    ScriptedNetwork net;
    TncPing ping;
    Echoes echoes{ping};
    explicit ScriptedPing(std::optional<ScriptedNetwork::Answer> answer) {
        ping.setProbeOpener(net.opener());
        net.answer = [answer](const icmp::EchoRequest&) { return answer; };
    }
};
}  // namespace

// Each outcome of the echo: a reply is reported (time rounded to whole ms), everything else
// raises EncPing with its code and text and reports nothing.
TEST(TncPingScripted, OutcomesOfOneEcho) {
    constexpr std::uint32_t kRouter = 0x0a4d0102;
    struct Case {
        const char* what;
        std::optional<ScriptedNetwork::Answer> answer;
        QString error;
    } cases[] = {
        {"reply", ScriptedNetwork::Answer{Outcome::Reply, 0x0a4d0202, 40.6}, ""},
        {"silence", std::nullopt, "11010: Request timed out"},
        {"ttl expired", ScriptedNetwork::Answer{Outcome::TimeExceeded, kRouter, 1},
         "11013: TTL expired in transit (reported by 10.77.1.2)"},
        {"net unreachable", ScriptedNetwork::Answer{Outcome::Unreachable, kRouter, 1, 0},
         "11002: Destination net unreachable (reported by 10.77.1.2)"},
        {"host unreachable", ScriptedNetwork::Answer{Outcome::Unreachable, kRouter, 1, 1},
         "11003: Destination host unreachable (reported by 10.77.1.2)"},
        {"port unreachable", ScriptedNetwork::Answer{Outcome::Unreachable, kRouter, 1, 3},
         "11005: Destination port unreachable (reported by 10.77.1.2)"},
        {"prohibited", ScriptedNetwork::Answer{Outcome::Unreachable, kRouter, 1, 13},
         "11004: Destination prohibited (reported by 10.77.1.2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPing p(c.answer);
        p.ping.setTimeout(2);
        p.ping.setPacketSize(5000);
        EXPECT_EQ(ErrorOf<EncPing>([&] { p.ping.PingHost("10.77.2.2"); }), c.error);
        EXPECT_EQ(p.ping.RemoteHost(), "10.77.2.2");
        ASSERT_EQ(p.net.sent.size(), 1u);
        EXPECT_EQ(p.net.sent[0].destination, 0x0a4d0202u);
        EXPECT_EQ(p.net.sent[0].dataSize, 5000);
        EXPECT_EQ(p.net.sent[0].timeoutMs, 2000);
        EXPECT_EQ(p.echoes.responses, c.error.isEmpty() ? 1 : 0);
        EXPECT_EQ(p.ping.ResponseSource(), c.error.isEmpty() ? "10.77.2.2" : "");
        EXPECT_EQ(p.ping.ResponseTime(), c.error.isEmpty() ? 41 : 0);
    }
}

TEST(TncPingScripted, SourceAddressAndProberRefusals) {
    ScriptedPing p(ScriptedNetwork::Answer{Outcome::Reply, 0x7f000001, 0.02});
    p.ping.setLocalHost("127.0.0.1");
    p.ping.PingHost("127.0.0.1");
    ASSERT_EQ(p.net.opened.size(), 1u);
    EXPECT_EQ(p.net.opened[0].source, 0x7f000001u);
    EXPECT_EQ(p.ping.ResponseTime(), 0);

    p.net.openError =
        icmp::ProbeError(13, "Cannot open an ICMP datagram socket: Permission denied");
    EXPECT_EQ(ErrorOf<EncPing>([&] { p.ping.PingHost("127.0.0.1"); }),
              "13: Cannot open an ICMP datagram socket: Permission denied");
    p.net.openError.reset();
    p.net.sendError = icmp::ProbeError(101, "Cannot send the echo request to 10.1.2.3");
    EXPECT_EQ(ErrorOf<EncPing>([&] { p.ping.PingHost("10.1.2.3"); }),
              "101: Cannot send the echo request to 10.1.2.3");
    EXPECT_EQ(p.echoes.responses, 1);
}

TEST(TncPingScripted, AThrowingHandlerIsTheComponentsErrorNotTheCallers) {
    ScriptedPing p(ScriptedNetwork::Answer{Outcome::Reply, 0x7f000001, 1});
    QString error;
    p.ping.OnError = [&](TncComponent*, int, const QString& text) { error = text; };
    p.ping.OnResponse = [](TncPing*, int, const QString&, const QString&, int) {
        throw std::runtime_error("handler broke");
    };
    EXPECT_NO_THROW(p.ping.PingHost("127.0.0.1"))
        << "the reply came; the handler's fault is not ours";
    EXPECT_EQ(error, "An unhandled error occurred in the Response event handler: handler broke");
}
