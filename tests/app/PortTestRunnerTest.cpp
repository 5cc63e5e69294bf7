// The port-test runner on its own: a scripted component, a list as the log, no window.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/PortTestRunner.h"
#include "tests/app/ScriptedReach.h"

namespace {
const QStringList kStart = {"", ">>>>> Start Telnet.", "Connecting to 10.0.0.9 Port: 10000..."};
const QString kClosed = "Telnet Connection closed successfully.";

struct PortRun {
    SteppingClock clock;
    ScriptedTelnet telnet;
    LogLines log;
    PortTestRunner runner{telnet, log.sink()};
    PortRun() { SetClock(&clock); }
    ~PortRun() { SetClock(nullptr); }
};
}  // namespace

TEST(PortTestRunner, OutcomesOfTheAttempt) {
    using Peer = ScriptedTelnet::Peer;
    struct Case {
        const char* what;
        Peer peer;
        QStringList after;  // lines after the start lines
    } cases[] = {
        {"port accepts",
         Peer::Accepts,
         {"Telnet Connection : Connected to 10.0.0.9:10000",
          "Telnet Disconnected: Connection closed", kClosed}},
        {"port refuses", Peer::Refuses, {"Telnet Connection failed: Connection refused", kClosed}},
        {"host silent", Peer::Silent, {kClosed}},
        // Connected already at the first check: the wait ends, no closing line; the success
        // event, delivered afterwards, still logs and disconnects.
        {"connected at once",
         Peer::ConnectedAtOnce,
         {"Telnet Connection : Connected to 10.0.0.9:10000",
          "Telnet Disconnected: Connection closed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PortRun r;
        r.telnet.peer = c.peer;
        EXPECT_EQ(r.runner.run("10.0.0.9", 10000), PortTestRunner::Missing::Nothing);
        QCoreApplication::processEvents();
        EXPECT_EQ(r.log.lines, kStart + c.after);
        EXPECT_EQ(r.telnet.calls.mid(0, 4), QStringList({"Connected=false", "RemoteHost=10.0.0.9",
                                                         "RemotePort=10000", "Connected=true"}));
        if (c.peer != Peer::ConnectedAtOnce) {
            EXPECT_GE(r.clock.tick - r.clock.step, 5000u) << "the wait lasts 5000 ms";
        }
    }
}

TEST(PortTestRunner, WaitLastsFiveSecondsAcrossTheTickCounterWrap) {
    PortRun r;
    r.telnet.peer = ScriptedTelnet::Peer::Silent;
    r.clock.tick = 0xFFFFFFFFu - 2000;  // wraps 2 s into the wait
    r.clock.step = 50;
    r.runner.run("10.0.0.9", 10000);
    EXPECT_EQ(r.log.lines.last(), kClosed);
    // 5000 ms in steps of 50: about 100 readings, neither ending at once nor running on.
    EXPECT_GE(r.clock.readings, 100);
    EXPECT_LE(r.clock.readings, 103);
}

TEST(PortTestRunner, WithoutHostOrPortNothingHappens) {
    PortRun r;
    EXPECT_EQ(r.runner.run("", 10000), PortTestRunner::Missing::Host);
    EXPECT_EQ(r.runner.run("10.0.0.9", 0), PortTestRunner::Missing::Port);
    EXPECT_TRUE(r.log.lines.isEmpty());
    EXPECT_TRUE(r.telnet.calls.isEmpty());

    // Blanks are not empty: the test runs with them as the host.
    r.telnet.peer = ScriptedTelnet::Peer::Refuses;
    EXPECT_EQ(r.runner.run("   ", 10000), PortTestRunner::Missing::Nothing);
    EXPECT_EQ(r.log.lines[2], "Connecting to     Port: 10000...");
}

TEST(PortTestRunner, ComponentErrorsAreLoggedOthersPropagate) {
    PortRun r;
    r.telnet.refusePort = true;
    r.runner.run("10.0.0.9", 10000);
    EXPECT_EQ(r.log.lines, QStringList("!Telnet Error: 10049: Port refused"));

    r.telnet.refusePort = false;
    r.telnet.otherFailure = true;
    EXPECT_THROW(r.runner.run("10.0.0.9", 10000), std::runtime_error);
    EXPECT_EQ(r.log.lines.mid(1), kStart);
}
