#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "netcomp/icmp/TncTraceRoute.h"
#include "tests/netcomp/ScriptedProbe.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"
#include "tests/support/RouteChain.h"

namespace {

struct Hop {
    int number;
    QString address;
    int duration;
};

// Records every OnHop; `then` runs inside the handler after recording.
struct Hops {
    std::vector<Hop> seen;
    std::function<void(TncTraceRoute*)> then;
    explicit Hops(TncTraceRoute& t) {
        t.OnHop = [this](TncTraceRoute* sender, int n, const QString& a, int d) {
            seen.push_back({n, a, d});
            if (then) then(sender);
        };
    }
    QStringList addresses() const {
        QStringList out;
        for (const Hop& h : seen) out << h.address;
        return out;
    }
};

QString Q(std::uint32_t address) {
    return QString::fromStdString(RouteChain::text(address));
}

using icmp::Outcome;
using Answer = ScriptedNetwork::Answer;

constexpr std::uint32_t kR1 = 0x0a4d0102, kR2 = 0x0a4d0202, kR3 = 0x0a4d0302, kServer = 0x0a4d0402;
const QString kServerText = "10.77.4.2";

// A trace component on a scripted network whose clock it reads.
struct ScriptedTrace {
    ScriptedNetwork net;
    TncTraceRoute trace;
    Hops hops{trace};
    ScriptedTrace() {
        trace.setProbeOpener(net.opener());
        trace.setSteadyClock([this] { return net.now(); });
    }
    // Routers answer TTL i with time exceeded from routers[i-1]; a 0 keeps that router silent;
    // the TTL after the last router reaches the server.
    void route(std::vector<std::uint32_t> routers, double rttMs = 2.4) {
        net.answer = [routers, rttMs](const icmp::EchoRequest& r) -> std::optional<Answer> {
            const std::size_t i = std::size_t(r.ttl - 1);
            if (i >= routers.size()) return Answer{Outcome::Reply, r.destination, rttMs};
            if (routers[i] == 0) return std::nullopt;
            return Answer{Outcome::TimeExceeded, routers[i], rttMs};
        };
    }
    std::vector<int> ttlsSent() const {
        std::vector<int> out;
        for (const auto& r : net.sent) out.push_back(r.ttl);
        return out;
    }
};

}  // namespace

// client -> r1 -> r2 (silent) -> server, with a 20 ms delay each way on the first link.
TEST(TncTraceRoute, HopsInOrderWithASilentRouterAndADelayedLink) {
    VT_REQUIRE_ROOT();
    RouteChain chain(2, {{1, 20}});
    chain.silence(2);
    NsEnter in(chain.client());
    TncTraceRoute trace;
    trace.setHopTimeout(1);
    Hops hops(trace);
    trace.TraceTo(Q(chain.serverAddress()));

    ASSERT_EQ(hops.seen.size(), 3u);
    EXPECT_EQ(hops.addresses(),
              QStringList({Q(chain.hopAddress(1)), "", Q(chain.serverAddress())}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(hops.seen[std::size_t(i)].number, i);
    EXPECT_GE(hops.seen[0].duration, 38);  // the delayed link, both ways
    EXPECT_LT(hops.seen[0].duration, 200);
    EXPECT_LE(hops.seen[1].duration, 0) << "no time for a silent hop";
    EXPECT_GE(hops.seen[2].duration, 38);
}

// Probes run ahead: three silent hops in a row cost about one hop time-out, not three.
TEST(TncTraceRoute, SilentHopsInARowShareOneHopTimeout) {
    VT_REQUIRE_ROOT();
    RouteChain chain(4);
    for (int r : {1, 2, 3}) chain.silence(r);
    NsEnter in(chain.client());
    TncTraceRoute trace;
    trace.setHopTimeout(2);
    Hops hops(trace);
    QElapsedTimer t;
    t.start();
    trace.TraceTo(Q(chain.serverAddress()));
    EXPECT_LT(t.elapsed(), 4500) << "one hop time-out per silent hop would take 6 s";
    EXPECT_EQ(hops.addresses(),
              QStringList({"", "", "", Q(chain.hopAddress(4)), Q(chain.serverAddress())}));
}

// client -> r1 -> r2 (silent) -> r3 -> server over IPv6, hop limits rising.
TEST(TncTraceRoute, OverIPv6WithASilentRouter) {
    VT_REQUIRE_ROOT();
    RouteChain chain(3);
    chain.silence(2);
    NsEnter in(chain.client());
    TncTraceRoute trace;
    trace.setHopTimeout(1);
    Hops hops(trace);
    trace.TraceTo(QString::fromStdString(chain.serverAddress6()));
    const auto hop = [&](int i) { return QString::fromStdString(chain.hopAddress6(i)); };
    EXPECT_EQ(hops.addresses(), QStringList({hop(1), "", hop(3), hop(4)}));
    EXPECT_GE(hops.seen[0].duration, 1);
    EXPECT_LE(hops.seen[1].duration, 0);

    hops.seen.clear();
    trace.TraceTo("::1");
    EXPECT_EQ(hops.addresses(), QStringList({"::1"}));
}

TEST(TncTraceRoute, LoopbackIsOneHopAndHopLimitEndsATrace) {
    VT_REQUIRE_ROOT();
    RouteChain chain(2);
    NsEnter in(chain.client());
    TncTraceRoute trace;
    Hops hops(trace);
    trace.TraceTo("127.0.0.1");
    ASSERT_EQ(hops.seen.size(), 1u);
    EXPECT_EQ(hops.seen[0].address, "127.0.0.1");
    EXPECT_GE(hops.seen[0].duration, 1) << "an answer always shows a time";

    hops.seen.clear();
    trace.setHopLimit(2);
    trace.TraceTo(Q(chain.serverAddress()));
    EXPECT_EQ(hops.addresses(), QStringList({Q(chain.hopAddress(1)), Q(chain.hopAddress(2))}));
}

TEST(TncTraceRoute, BadTargetsAndValues) {
    VT_REQUIRE_ROOT();
    NetNs ns("reach");
    NsEnter in(ns);
    TncTraceRoute trace;
    EXPECT_EQ(trace.HopLimit(), 64);
    EXPECT_EQ(trace.HopTimeout(), 10);
    EXPECT_EQ(trace.Timeout(), 60);
    EXPECT_FALSE(trace.ResolveNames());
    EXPECT_TRUE(ErrorOf<EncTraceRoute>([&] {
                    trace.TraceTo("no-such-host.invalid");
                }).startsWith("11001: Cannot resolve host name"));
    EXPECT_EQ(ErrorOf<EncTraceRoute>([&] { trace.TraceTo("10.1.2.3"); }),
              "101: Cannot send the echo request to 10.1.2.3: Network is unreachable");
    EXPECT_EQ(ErrorOf<EncTraceRoute>([&] { trace.setLocalHost("10.1.2.3"); }),
              "11007: \"10.1.2.3\" is not an IPv4 address of this machine");
    EXPECT_EQ(trace.LocalHost(), "");
    EXPECT_NE(ErrorOf<EncTraceRoute>([&] { trace.setHopLimit(0); }), "");
    EXPECT_EQ(trace.HopLimit(), 64);
    trace.Reset();  // outside a trace: nothing happens
    Hops hops(trace);
    trace.TraceTo("127.0.0.1");
    EXPECT_EQ(hops.seen.size(), 1u);
}

// ---- The component's sequencing against a scripted prober: no sockets, no root ----

// Answers come back newest first and one at a time; hops are still reported in route order,
// once each, and a silent hop costs one hop time-out while the probes behind it run on.
TEST(TncTraceRouteScripted, HopsInRouteOrderWhateverOrderAnswersCome) {
    ScriptedTrace t;
    t.route({kR1, 0, kR3}, 0.3);
    t.net.newestFirst = true;
    t.net.perWait = 1;
    t.trace.TraceTo(kServerText);

    EXPECT_EQ(t.hops.addresses(), QStringList({"10.77.1.2", "", "10.77.3.2", kServerText}));
    for (std::size_t i = 0; i < t.hops.seen.size(); ++i) EXPECT_EQ(t.hops.seen[i].number, int(i));
    EXPECT_EQ(t.hops.seen[0].duration, 1) << "a sub-millisecond answer still shows a time";
    EXPECT_EQ(t.hops.seen[1].duration, 0) << "no time for a silent hop";
    EXPECT_EQ(t.net.elapsed(), std::chrono::seconds(10)) << "one hop time-out, the initial 10 s";
    ASSERT_EQ(t.net.opened.size(), 1u);
    EXPECT_EQ(t.net.opened[0].source, 0u) << "no LocalHost: the system's choice";
    for (const auto& r : t.net.sent) {
        EXPECT_EQ(r.destination, kServer);
        EXPECT_EQ(r.timeoutMs, 10000);
    }
}

// 16 probes run ahead of the next hop to report, never more, and none past the hop limit.
TEST(TncTraceRouteScripted, ProbesRunSixteenAheadUpToTheHopLimit) {
    ScriptedTrace t;
    t.net.answer = [](const icmp::EchoRequest& r) -> std::optional<Answer> {
        if (r.ttl == 1) return std::nullopt;  // holds the report of everything behind it
        return Answer{Outcome::TimeExceeded, 0x0a000000u + std::uint32_t(r.ttl), 1};
    };
    t.trace.setHopLimit(20);
    t.hops.then = [&](TncTraceRoute*) {
        if (t.hops.seen.size() == 1) {
            std::vector<int> first16(16);
            std::iota(first16.begin(), first16.end(), 1);
            EXPECT_EQ(t.ttlsSent(), first16) << "sent before the first hop was reported";
        }
    };
    t.trace.TraceTo(kServerText);
    ASSERT_EQ(t.hops.seen.size(), 20u) << "the hop limit ends the trace";
    EXPECT_EQ(t.hops.seen[0].address, "");
    EXPECT_EQ(t.hops.seen[19].address, "10.0.0.20");
    std::vector<int> all(20);
    std::iota(all.begin(), all.end(), 1);
    EXPECT_EQ(t.ttlsSent(), all);
}

// A router or the destination reporting the target unreachable ends the route at that hop;
// a local failure of one probe counts as a silent hop.
TEST(TncTraceRouteScripted, UnreachableEndsTheRouteAndAFailedProbeIsSilent) {
    ScriptedTrace t;
    t.net.answer = [](const icmp::EchoRequest& r) -> std::optional<Answer> {
        if (r.ttl == 1) return Answer{Outcome::Failed, 0, 0};
        if (r.ttl == 2) return Answer{Outcome::TimeExceeded, kR2, 5.6};
        if (r.ttl == 3) return Answer{Outcome::Unreachable, kR3, 7.2, 1};
        return Answer{Outcome::Reply, r.destination, 1};
    };
    t.trace.TraceTo(kServerText);
    EXPECT_EQ(t.hops.addresses(), QStringList({"", "10.77.2.2", "10.77.3.2"}));
    EXPECT_EQ(t.hops.seen[1].duration, 6);
    EXPECT_EQ(t.hops.seen[2].duration, 7);
}

TEST(TncTraceRouteScripted, ResetInsideHopEndsTheTraceAndTheComponentGoesOn) {
    ScriptedTrace t;
    t.route({kR1, kR2});
    t.hops.then = [](TncTraceRoute* sender) { sender->Reset(); };
    EXPECT_NO_THROW(t.trace.TraceTo(kServerText));
    EXPECT_EQ(t.hops.addresses(), QStringList({"10.77.1.2"}));

    t.hops.then = nullptr;
    t.hops.seen.clear();
    t.trace.TraceTo(kServerText);
    EXPECT_EQ(t.hops.addresses(), QStringList({"10.77.1.2", "10.77.2.2", kServerText}));
    EXPECT_EQ(t.net.opened.size(), 2u) << "one prober per trace";
}

// While a silent first hop is awaited the program's events run; a timer resets the trace.
TEST(TncTraceRouteScripted, EventsRunDuringTheTraceAndCanResetIt) {
    ScriptedTrace t;
    t.route({0});
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 3) t.trace.Reset();
    });
    timer.start(0);
    EXPECT_NO_THROW(t.trace.TraceTo(kServerText));
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(t.hops.seen.empty());
    EXPECT_LT(t.net.elapsed(), std::chrono::seconds(10)) << "ended before the hop time-out";
}

TEST(TncTraceRouteScripted, TimeoutOfTheWholeTraceRaisesAfterTheHopsSoFar) {
    ScriptedTrace t;
    t.route({kR1, 0, 0, 0});
    t.trace.setTimeout(5);
    EXPECT_EQ(ErrorOf<EncTraceRoute>([&] { t.trace.TraceTo(kServerText); }),
              "11010: Trace route timed out after 5 seconds");
    EXPECT_EQ(t.hops.addresses(), QStringList({"10.77.1.2"}));
    EXPECT_EQ(t.net.elapsed(), std::chrono::seconds(5));

    // The component is not left tracing.
    t.trace.setTimeout(60);
    t.route({kR1});
    t.hops.seen.clear();
    t.trace.TraceTo(kServerText);
    EXPECT_EQ(t.hops.seen.size(), 2u);
}

TEST(TncTraceRouteScripted, AThrowingHandlerOrANestedTraceDoesNotStopTheTrace) {
    ScriptedTrace t;
    t.route({kR1});
    t.hops.then = [](TncTraceRoute*) { throw std::runtime_error("log full"); };
    QStringList errors;
    t.trace.OnError = [&](TncComponent*, int, const QString& text) { errors << text; };
    t.trace.TraceTo(kServerText);
    EXPECT_EQ(t.hops.seen.size(), 2u);
    EXPECT_EQ(errors,
              QStringList(2, "An unhandled error occurred in the Hop event handler: log full"));

    errors.clear();
    t.hops.seen.clear();
    t.hops.then = [](TncTraceRoute* sender) { sender->TraceTo("127.0.0.1"); };
    t.trace.TraceTo(kServerText);
    EXPECT_EQ(t.hops.seen.size(), 2u);
    EXPECT_EQ(errors, QStringList(2, "11050: A trace route is already running"));
}

// The prober's refusals reach the caller as EncTraceRoute with the prober's code and text, and
// the chosen source address goes to the prober.
TEST(TncTraceRouteScripted, ProberErrorsAndTheSourceAddress) {
    ScriptedTrace t;
    t.route({});
    t.trace.setLocalHost("127.0.0.1");
    t.trace.setSocketKind(icmp::SocketKind::Raw);
    t.trace.TraceTo(kServerText);
    ASSERT_EQ(t.net.opened.size(), 1u);
    EXPECT_EQ(t.net.opened[0].source, 0x7f000001u);
    EXPECT_EQ(t.net.opened[0].kind, icmp::SocketKind::Raw);

    t.net.openError = icmp::ProbeError(1, "This program may not send ICMP echo requests");
    EXPECT_EQ(ErrorOf<EncTraceRoute>([&] { t.trace.TraceTo(kServerText); }),
              "1: This program may not send ICMP echo requests");
    t.net.openError.reset();
    t.net.sendError = icmp::ProbeError(101, "Cannot send the echo request to 10.77.4.2");
    EXPECT_EQ(ErrorOf<EncTraceRoute>([&] { t.trace.TraceTo(kServerText); }),
              "101: Cannot send the echo request to 10.77.4.2");
    EXPECT_EQ(t.hops.seen.size(), 1u) << "only the first, good trace reported a hop";
}
