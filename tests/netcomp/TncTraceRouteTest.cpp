#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <stdexcept>
#include <vector>

#include "NetNs.h"
#include "Root.h"
#include "RouteChain.h"
#include "TncTraceRoute.h"

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

template <class F>
QString TraceError(F&& f) {
    try {
        f();
    } catch (const EncTraceRoute& e) {
        return e.message();
    }
    return {};
}

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

TEST(TncTraceRoute, ResetInsideHopEndsTheTrace) {
    VT_REQUIRE_ROOT();
    RouteChain chain(2);
    NsEnter in(chain.client());
    TncTraceRoute trace;
    Hops hops(trace);
    hops.then = [](TncTraceRoute* t) { t->Reset(); };
    EXPECT_NO_THROW(trace.TraceTo(Q(chain.serverAddress())));
    EXPECT_EQ(hops.seen.size(), 1u);

    // The component is usable again afterwards.
    hops.then = nullptr;
    hops.seen.clear();
    trace.TraceTo(Q(chain.serverAddress()));
    EXPECT_EQ(hops.seen.size(), 3u);
}

// While a silent first hop is awaited, the program's timers run; one of them resets the trace.
TEST(TncTraceRoute, EventsRunDuringTheTraceAndCanResetIt) {
    VT_REQUIRE_ROOT();
    RouteChain chain(1);
    chain.silence(1);
    NsEnter in(chain.client());
    TncTraceRoute trace;  // hop time-out 10 s
    Hops hops(trace);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 5) trace.Reset();
    });
    timer.start(20);
    QElapsedTimer t;
    t.start();
    EXPECT_NO_THROW(trace.TraceTo(Q(chain.serverAddress())));
    EXPECT_EQ(ticks, 5);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_TRUE(hops.seen.empty());
}

TEST(TncTraceRoute, TimeoutOfTheWholeTraceRaises) {
    VT_REQUIRE_ROOT();
    RouteChain chain(1);
    chain.silence(1);
    NsEnter in(chain.client());
    TncTraceRoute trace;
    trace.setTimeout(1);
    Hops hops(trace);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(TraceError([&] { trace.TraceTo(Q(chain.serverAddress())); }),
              "11010: Trace route timed out after 1 seconds");
    EXPECT_LT(t.elapsed(), 2500);
    EXPECT_TRUE(hops.seen.empty());
}

TEST(TncTraceRoute, AThrowingHandlerDoesNotStopTheTrace) {
    VT_REQUIRE_ROOT();
    RouteChain chain(1);
    NsEnter in(chain.client());
    TncTraceRoute trace;
    Hops hops(trace);
    hops.then = [](TncTraceRoute*) { throw std::runtime_error("log full"); };
    QStringList errors;
    trace.OnError = [&](TncComponent*, int, const QString& text) { errors << text; };
    trace.TraceTo(Q(chain.serverAddress()));
    EXPECT_EQ(hops.seen.size(), 2u);
    EXPECT_EQ(errors,
              QStringList(2, "An unhandled error occurred in the Hop event handler: log full"));

    // A trace started from inside the running one is refused; the running one goes on.
    errors.clear();
    hops.seen.clear();
    hops.then = [](TncTraceRoute* t) { t->TraceTo("127.0.0.1"); };
    trace.TraceTo(Q(chain.serverAddress()));
    EXPECT_EQ(hops.seen.size(), 2u);
    EXPECT_EQ(errors, QStringList(2, "11050: A trace route is already running"));
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
    EXPECT_TRUE(TraceError([&] {
                    trace.TraceTo("no-such-host.invalid");
                }).startsWith("11001: Cannot resolve host name"));
    EXPECT_EQ(TraceError([&] { trace.TraceTo("10.1.2.3"); }),
              "101: Cannot send the echo request to 10.1.2.3: Network is unreachable");
    EXPECT_EQ(TraceError([&] { trace.setLocalHost("10.1.2.3"); }),
              "11007: \"10.1.2.3\" is not an IPv4 address of this machine");
    EXPECT_EQ(trace.LocalHost(), "");
    EXPECT_NE(TraceError([&] { trace.setHopLimit(0); }), "");
    EXPECT_EQ(trace.HopLimit(), 64);
    trace.Reset();  // outside a trace: nothing happens
    Hops hops(trace);
    trace.TraceTo("127.0.0.1");
    EXPECT_EQ(hops.seen.size(), 1u);
}
