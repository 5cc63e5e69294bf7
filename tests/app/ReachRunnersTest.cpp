// The runners on their own: scripted components, a list as the log, no window.
#include <gtest/gtest.h>

#include "app/PingRunner.h"
#include "app/PortTestRunner.h"
#include "app/TraceRunner.h"
#include "tests/app/ScriptedReach.h"

namespace {
struct Log {
    QStringList lines;
    LogSink sink() {
        return [this](const QString& line) { lines << line; };
    }
};
}  // namespace

// Each attempt reads what the window shows at its moment; the tally counts replies through
// the component's event.
TEST(ReachRunners, PingAttemptsShowTheCurrentFieldsAndKeepTheTally) {
    ScriptedPing ping;
    Log log;
    PingRunner::Shown shown{32, "10.0.0.9", {}, {}};
    PingRunner runner(ping, log.sink(), [&] { return shown; });
    ping.OnResponse = [&](TncPing*, int, const QString&, const QString&, int) { ++runner.replies; };
    runner.attempts = 9;
    runner.start(1000, 1, "192.168.1.20");
    EXPECT_EQ(runner.attempts, 0);
    EXPECT_EQ(ping.PacketSize(), 1000);
    EXPECT_EQ(ping.LocalHost(), "192.168.1.20");

    ping.script = {ScriptedPing::Reply("10.0.0.9", 4),
                   ScriptedPing::Fail(11010, "Request timed out", "10.0.0.9")};
    runner.attempt("192.168.1.20");
    shown = {1500, "10.0.0.7", "eth0", "192.168.1.20"};
    runner.attempt("192.168.1.20");
    runner.writeSummary();
    EXPECT_EQ(log.lines,
              QStringList({"[1] Sending: 32 bytes  --->   10.0.0.9",
                           "     >>> Success reply from: 10.0.0.9   Time: 4ms      ",
                           "[2] Sending: 1500 bytes, From: eth0 [192.168.1.20]  ---> 10.0.0.7",
                           "  !Error sending.  10.0.0.9   11010: Request timed out",
                           "************ Ping Count: 2 Success: 1 Failed: 1 ************"}));
    EXPECT_EQ(ping.pinged, QStringList({"10.0.0.9", "10.0.0.7"}));
}

TEST(ReachRunners, TraceStopsAtTheHopThatAsksForIt) {
    ScriptedTrace trace;
    Log log;
    TraceRunner runner(trace, log.sink());
    trace.hops = {{"10.0.0.1", 2}, {"", 0}, {"10.0.0.9", 5}};
    trace.OnHop = [&](TncTraceRoute*, int hop, const QString& address, int duration) {
        runner.writeHop(hop, address, duration);
        if (hop == 1) runner.stop();
    };
    runner.run("10.0.0.9", TraceRunner::Source{"eth0", "10.0.0.5"});
    EXPECT_EQ(log.lines, QStringList({"", ">>>>> Start Trace Route. [No Resolve Name.]",
                                      "Trace Route From: eth0   --->   10.0.0.9",
                                      "[Hop 1] ---> 10.0.0.1                      Time: 2ms.",
                                      "[Hop 2] ---> ***                        ",
                                      "********** Stop Trace Route. **********",
                                      "********** Trace Route Complete. **********"}));
    EXPECT_EQ(trace.LocalHost(), "10.0.0.5");
    EXPECT_EQ(trace.resets, 1);
}

TEST(ReachRunners, PortTestReportsTheOutcomeAndClosesAtOnce) {
    SteppingClock clock;
    SetClock(&clock);
    ScriptedTelnet telnet;
    Log log;
    PortTestRunner runner(telnet, log.sink());
    telnet.OnConnected = [&](TncTelnet*, int status, const QString& text) {
        runner.connected(status, text);
    };
    telnet.OnDisconnected = [&](TncTelnet*, int, const QString& text) {
        runner.disconnected(text);
    };
    runner.run("10.0.0.9", 8080);
    SetClock(nullptr);
    EXPECT_EQ(log.lines,
              QStringList({"", ">>>>> Start Telnet.", "Connecting to 10.0.0.9 Port: 8080...",
                           "Telnet Connection : Connected to 10.0.0.9:8080",
                           "Telnet Disconnected: Connection closed",
                           "Telnet Connection closed successfully."}));
    EXPECT_EQ(telnet.calls.last(), "Disconnect");
}
