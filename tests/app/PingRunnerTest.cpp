// The ping runner on its own: a scripted component, a list as the log, no window.
#include <gtest/gtest.h>

#include "app/PingRunner.h"
#include "tests/app/ScriptedReach.h"

namespace {

const QString kSummary5of5 = "************ Ping Count: 5 Success: 5 Failed: 0 ************";
const QString kFail = "  !Error sending.  10.0.0.9   11010: Request timed out";

// Request and reply lines for the host 10.0.0.9, size 32, no source, reply time 12.
QString Request(int n) {
    return QStringLiteral("[%1] Sending: 32 bytes  --->   10.0.0.9").arg(n);
}
const QString kReply = "     >>> Success reply from: 10.0.0.9   Time: 12ms     ";

// A runner on a scripted component, with what the window would show and the busy states it
// would have been told.
struct PingRun {
    ScriptedPing ping;
    LogLines log;
    PingRunner::Shown shown{32, "10.0.0.9", {}, {}};
    PingRunner runner{ping, log.sink(), [this] { return shown; }};
    QList<bool> busy;
    PingRun() {
        QObject::connect(&runner, &PingRunner::busyChanged, [this](bool b) { busy << b; });
    }
    void replies(int n) {
        for (int i = 0; i < n; ++i) ping.script.push_back(ScriptedPing::Reply("10.0.0.9", 12));
    }
};

}  // namespace

TEST(PingRunner, BurstWithEveryReply) {
    PingRun r;
    r.replies(5);
    r.runner.start(32, 1, QString(), false);

    QStringList expected = {"", ">>>>> Start Ping."};
    for (int n = 1; n <= 5; ++n) expected << Request(n) << kReply;
    expected << kSummary5of5;
    EXPECT_EQ(r.log.lines, expected);
    EXPECT_EQ(r.ping.PacketSize(), 32);
    EXPECT_EQ(r.ping.Timeout(), 1);
    EXPECT_EQ(r.ping.LocalHost(), "");
    EXPECT_EQ(r.ping.pinged, QStringList(5, "10.0.0.9"));
    EXPECT_EQ(r.busy, QList<bool>({true, false}));
    EXPECT_EQ(r.runner.replies(), 5) << "counted by the component's reply event";
}

TEST(PingRunner, BurstWhereEveryAttemptFails) {
    // The failure line names the component's RemoteHost, or the shown host when that is empty.
    struct Case {
        const char* host;
        const char* remote;
        const char* line;
    } cases[] = {
        {"10.0.0.9", "10.0.0.9", "  !Error sending.  10.0.0.9   11010: Request timed out"},
        {"nohost.invalid", "", "  !Error sending.  nohost.invalid11010: Request timed out"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        PingRun r;
        r.shown.host = c.host;
        for (int i = 0; i < 5; ++i)
            r.ping.script.push_back(ScriptedPing::Fail(11010, "Request timed out", c.remote));
        r.runner.start(32, 1, QString(), false);
        const QStringList& log = r.log.lines;
        ASSERT_EQ(log.size(), 13);
        for (int n = 1; n <= 5; ++n) EXPECT_EQ(log[2 * n + 1], c.line);
        EXPECT_EQ(log.last(), "************ Ping Count: 5 Success: 0 Failed: 5 ************");
    }
}

TEST(PingRunner, ContinuousRunEndsAtTheTickAfterTheBoxIsCleared) {
    PingRun r;
    using S = ScriptedPing;
    r.ping.script = {S::Reply("10.0.0.9", 12), S::Fail(11010, "Request timed out", "10.0.0.9"),
                     S::Reply("10.0.0.9", 12), S::Fail(11010, "Request timed out", "10.0.0.9"),
                     S::Reply("10.0.0.9", 12)};
    r.runner.start(32, 1, QString(), true);
    EXPECT_TRUE(r.runner.loopPing());
    EXPECT_TRUE(r.runner.loopTimer().isActive());
    EXPECT_EQ(r.runner.loopTimer().interval(), 2000);
    EXPECT_EQ(r.busy, QList<bool>({true, false})) << "free until the first tick";
    EXPECT_TRUE(r.log.lines.isEmpty()) << "no line before the first tick";

    for (int tick = 0; tick < 5; ++tick) r.runner.tmLoopingTimer();
    EXPECT_EQ(r.busy.last(), true);
    r.runner.setLoopPing(false);
    EXPECT_TRUE(r.runner.loopTimer().isActive()) << "the run ends at the next tick";
    r.runner.tmLoopingTimer();

    EXPECT_EQ(r.log.lines,
              QStringList({Request(1), kReply, Request(2), kFail, Request(3), kReply, Request(4),
                           kFail, Request(5), kReply,
                           "************ Ping Count: 5 Success: 3 Failed: 2 ************"}));
    EXPECT_FALSE(r.runner.loopTimer().isActive());
    EXPECT_EQ(r.busy.last(), false);
}

TEST(PingRunner, UntickingAndTickingAgainWithinOneTickKeepsTheRunGoing) {
    PingRun r;
    r.replies(2);
    r.runner.start(32, 1, QString(), true);
    r.runner.tmLoopingTimer();
    r.runner.setLoopPing(false);
    r.runner.setLoopPing(true);
    r.runner.tmLoopingTimer();
    EXPECT_EQ(r.runner.attempts(), 2);
    EXPECT_TRUE(r.runner.loopTimer().isActive());
    EXPECT_EQ(r.log.lines.size(), 4) << "no summary: the run goes on";
}

TEST(PingRunner, RefusedSettingChangesNothing) {
    PingRun r;
    r.replies(5);
    r.runner.start(32, 1, QString(), false);  // a tally to keep
    r.busy.clear();
    r.log.lines.clear();
    r.ping.refuseSize = true;
    EXPECT_THROW(r.runner.start(32, 1, QString(), false), EncPing);
    EXPECT_TRUE(r.log.lines.isEmpty());
    EXPECT_EQ(r.runner.attempts(), 5);
    EXPECT_TRUE(r.busy.isEmpty()) << "the button stays as it was";
}

TEST(PingRunner, AFailureOfAnotherKindEndsTheBurstWithoutSummaryButNotTheLoop) {
    ScriptedPing::Step broken;
    broken.other = true;
    {
        PingRun r;
        r.ping.script = {ScriptedPing::Reply("10.0.0.9", 12), broken};
        EXPECT_THROW(r.runner.start(32, 1, QString(), false), std::runtime_error);
        EXPECT_EQ(r.log.lines,
                  QStringList({"", ">>>>> Start Ping.", Request(1), kReply, Request(2)}));
        EXPECT_EQ(r.busy, QList<bool>({true, false}));
    }
    {
        // A tick that fails so keeps the button held and the timer running: the next tick tries
        // again.
        PingRun r;
        r.ping.script = {broken, ScriptedPing::Reply("10.0.0.9", 12)};
        r.runner.start(32, 1, QString(), true);
        EXPECT_THROW(r.runner.tmLoopingTimer(), std::runtime_error);
        EXPECT_EQ(r.busy.last(), true);
        EXPECT_TRUE(r.runner.loopTimer().isActive());
        r.runner.tmLoopingTimer();
        EXPECT_EQ(r.log.lines.last(), kReply);
        EXPECT_EQ(r.runner.attempts(), 2);
    }
}

TEST(PingRunner, SourceAdapterShowsFromLinesAndLongLinesAreNotCut) {
    PingRun r;
    r.shown = {4000, "10.0.0.9", "Intel(R) Ethernet", "192.168.1.20"};
    r.ping.script = {ScriptedPing::Reply("10.0.0.9", 3), ScriptedPing::Reply("10.0.0.7", 3)};
    r.runner.start(4000, 1, "192.168.1.20", true);
    EXPECT_EQ(r.ping.LocalHost(), "192.168.1.20");
    EXPECT_EQ(r.ping.PacketSize(), 4000);

    // A later pick and host show in the lines; the run keeps the source it started with.
    r.shown = {4000, "10.0.0.7", "Wi-Fi", "10.1.1.5"};
    r.runner.tmLoopingTimer();
    EXPECT_EQ(r.log.lines.first(),
              "[1] Sending: 4000 bytes, From: Wi-Fi [10.1.1.5]  ---> 10.0.0.7");
    EXPECT_EQ(r.ping.pinged, QStringList("10.0.0.7"));
    EXPECT_EQ(r.ping.LocalHost(), "192.168.1.20");

    // A burst shows the source address as the component reads it back.
    PingRun b;
    b.shown = {32, "10.0.0.9", "eth0", "192.168.1.20"};
    b.replies(5);
    b.runner.start(32, 1, "192.168.1.20", false);
    EXPECT_EQ(b.log.lines[2], "[1] Sending: 32 bytes, From: eth0 [192.168.1.20]  ---> 10.0.0.9");
}
