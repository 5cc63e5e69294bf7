// The trace runner on its own: a scripted component, a list as the log, no window.
#include <gtest/gtest.h>

#include "app/TraceRunner.h"
#include "tests/app/ScriptedReach.h"

namespace {
const QString kStart = ">>>>> Start Trace Route. [No Resolve Name.]";
const QString kStop = "********** Stop Trace Route. **********";
const QString kComplete = "********** Trace Route Complete. **********";

struct TraceRun {
    ScriptedTrace trace;
    LogLines log;
    TraceRunner runner{trace, log.sink()};
};
}  // namespace

TEST(TraceRunner, HopLines) {
    TraceRun r;
    const QString longName = "core-router-7.backbone.example.net [203.0.113.250]";
    r.trace.hops = {{"192.168.1.1", 3}, {"", 0}, {"", -1}, {longName, 12}};
    bool runningInside = false;
    r.trace.beforeHop = [&](int) { runningInside = r.runner.running(); };
    r.runner.run("10.0.0.9", std::nullopt);

    const QStringList& log = r.log.lines;
    ASSERT_EQ(log.size(), 7);
    EXPECT_EQ(log.mid(0, 2), QStringList({"", kStart}));
    EXPECT_EQ(log[2], "[Hop 1] ---> 192.168.1.1                   Time: 3ms.");
    EXPECT_EQ(log[2].size(), 53);
    EXPECT_EQ(log[3], "[Hop 2] ---> ***                        ") << "silent: blanks to 40";
    EXPECT_EQ(log[4], "[Hop 3] ---> ***                        ");
    EXPECT_EQ(log[5], "[Hop 4] ---> " + longName + "   Time: 12ms.");
    EXPECT_EQ(log[6], kComplete);
    EXPECT_EQ(r.trace.tracedTo, "10.0.0.9");
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(r.runner.running());
}

TEST(TraceRunner, SourceIsWrittenAndNamedAndKeptWithoutOne) {
    TraceRun r;
    r.runner.run("10.0.0.9", TraceRunner::Source{"eth0", "192.168.1.20"});
    EXPECT_EQ(r.log.lines,
              QStringList({"", kStart, "Trace Route From: eth0   --->   10.0.0.9", kComplete}));
    EXPECT_EQ(r.trace.LocalHost(), "192.168.1.20");

    // No source: no source line, and the component keeps the last source it was given.
    r.runner.run("10.0.0.9", std::nullopt);
    EXPECT_EQ(r.log.lines.mid(4), QStringList({"", kStart, kComplete}));
    EXPECT_EQ(r.trace.LocalHost(), "192.168.1.20");
}

TEST(TraceRunner, StopTakesEffectAtTheNextHop) {
    for (int requests : {1, 2}) {
        SCOPED_TRACE(requests);
        TraceRun r;
        r.runner.requestStop();  // before the trace: no effect
        r.trace.hops = {{"10.0.0.1", 1}, {"10.0.0.2", 2}, {"10.0.0.9", 3}};
        r.trace.beforeHop = [&](int i) {
            if (i == 1)
                for (int c = 0; c < requests; ++c) r.runner.requestStop();
        };
        r.runner.run("10.0.0.9", std::nullopt);
        EXPECT_EQ(r.log.lines,
                  QStringList({"", kStart, "[Hop 1] ---> 10.0.0.1                      Time: 1ms.",
                               "[Hop 2] ---> 10.0.0.2                      Time: 2ms.", kStop,
                               kComplete}));
        EXPECT_EQ(r.trace.resets, 1);
    }
}

TEST(TraceRunner, FailuresPropagateWithoutTheCompletionLine) {
    struct Case {
        const char* what;
        bool refuseLocalHost;
        int failAfter;
        QStringList log;
    } cases[] = {
        {"trace fails after a hop",
         false,
         1,
         {"", kStart, "Trace Route From: eth0   --->   nohost.invalid",
          "[Hop 1] ---> 10.0.0.1                      Time: 1ms."}},
        {"source refused", true, -1, {"", kStart}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TraceRun r;
        r.trace.hops = {{"10.0.0.1", 1}, {"10.0.0.2", 2}};
        r.trace.failAfter = c.failAfter;
        r.trace.failText = "Cannot resolve host name \"nohost.invalid\": Host not found";
        r.trace.refuseLocalHost = c.refuseLocalHost;
        EXPECT_THROW(r.runner.run("nohost.invalid", TraceRunner::Source{"eth0", "192.168.1.20"}),
                     EncTraceRoute);
        EXPECT_EQ(r.log.lines, c.log);
        EXPECT_FALSE(r.runner.running());
    }
}
