#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "tests/app/ScriptedReach.h"

namespace {
const QString kStart = ">>>>> Start Trace Route. [No Resolve Name.]";
const QString kStop = "********** Stop Trace Route. **********";
const QString kComplete = "********** Trace Route Complete. **********";
}  // namespace

TEST(TraceRunner, HopLinesAndTheBusyState) {
    ReachWindow r;
    r.w->edHostName->setEditText("10.0.0.9");
    const QString longName = "core-router-7.backbone.example.net [203.0.113.250]";
    r.trace->hops = {{"192.168.1.1", 3}, {"", 0}, {"", -1}, {longName, 12}};
    bool busyInside = false;
    r.trace->beforeHop = [&](int) {
        busyInside = !r.w->btnTracerute->isEnabled() && r.w->IsRunTrace;
    };
    r.w->btnTracerute->click();

    const QStringList log = r.log();
    ASSERT_EQ(log.size(), 7);
    EXPECT_EQ(log.mid(0, 2), QStringList({"", kStart}));
    EXPECT_EQ(log[2], "[Hop 1] ---> 192.168.1.1                   Time: 3ms.");
    EXPECT_EQ(log[2].size(), 53);
    EXPECT_EQ(log[3], "[Hop 2] ---> ***                        ") << "silent: blanks to 40";
    EXPECT_EQ(log[4], "[Hop 3] ---> ***                        ");
    EXPECT_EQ(log[5], "[Hop 4] ---> " + longName + "   Time: 12ms.");
    EXPECT_EQ(log[6], kComplete);
    EXPECT_EQ(r.trace->tracedTo, "10.0.0.9");
    EXPECT_TRUE(busyInside);
    EXPECT_TRUE(r.trace->cursorWasBusy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(r.w->btnTracerute->isEnabled());
    EXPECT_FALSE(r.w->IsRunTrace);
}

TEST(TraceRunner, SourceAdapterIsWrittenAndNamed) {
    ReachWindow r;
    r.chooseAdapter("eth0", "192.168.1.20");
    r.w->edHostName->setEditText("10.0.0.9");
    r.w->btnTracerute->click();
    EXPECT_EQ(r.log(),
              QStringList({"", kStart, "Trace Route From: eth0   --->   10.0.0.9", kComplete}));
    EXPECT_EQ(r.trace->LocalHost(), "192.168.1.20");

    // No address shown: no source line, and the component keeps the last source it was given.
    r.chooseAdapter("wlan0", "");
    r.w->btnTracerute->click();
    EXPECT_EQ(r.log().mid(4), QStringList({"", kStart, kComplete}));
    EXPECT_EQ(r.trace->LocalHost(), "192.168.1.20");
}

TEST(TraceRunner, StopTakesEffectAtTheNextHop) {
    for (int clicks : {1, 2}) {
        SCOPED_TRACE(clicks);
        ReachWindow r;
        r.w->btnStopTrace->click();  // before the trace: no effect
        r.w->edHostName->setEditText("10.0.0.9");
        r.trace->hops = {{"10.0.0.1", 1}, {"10.0.0.2", 2}, {"10.0.0.9", 3}};
        r.trace->beforeHop = [&](int i) {
            if (i == 1)
                for (int c = 0; c < clicks; ++c) r.w->btnStopTrace->click();
        };
        r.w->btnTracerute->click();
        EXPECT_EQ(r.log(),
                  QStringList({"", kStart, "[Hop 1] ---> 10.0.0.1                      Time: 1ms.",
                               "[Hop 2] ---> 10.0.0.2                      Time: 2ms.", kStop,
                               kComplete}));
        EXPECT_EQ(r.trace->resets, 1);
        EXPECT_TRUE(r.w->btnStopTrace->isEnabled());
    }
}

TEST(TraceRunner, FailureRestoresTheWindowAndReachesTheErrorBox) {
    struct Case {
        const char* what;
        bool refuseLocalHost;
        int failAfter;
        QStringList log;
        QString error;
    } cases[] = {
        {"trace fails after a hop",
         false,
         1,
         {"", kStart, "Trace Route From: eth0   --->   nohost.invalid",
          "[Hop 1] ---> 10.0.0.1                      Time: 1ms."},
         "11050: Cannot resolve host name \"nohost.invalid\": Host not found."},
        {"source refused", true, -1, {"", kStart}, "11007: \"192.168.1.20\" is not local."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReachWindow r;
        r.chooseAdapter("eth0", "192.168.1.20");
        r.w->edHostName->setEditText("nohost.invalid");
        r.trace->hops = {{"10.0.0.1", 1}, {"10.0.0.2", 2}};
        r.trace->failAfter = c.failAfter;
        r.trace->failText = "Cannot resolve host name \"nohost.invalid\": Host not found";
        r.trace->refuseLocalHost = c.refuseLocalHost;
        r.w->btnTracerute->click();
        EXPECT_EQ(r.log(), c.log);
        EXPECT_EQ(r.boxes.errors(), QStringList(c.error));
        EXPECT_TRUE(r.w->btnTracerute->isEnabled());
        EXPECT_FALSE(r.w->IsRunTrace);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}
