#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include "tests/app/ScriptedReach.h"
#include "ui/NumericEdit.h"

namespace {

const QString kSummary5of5 = "************ Ping Count: 5 Success: 5 Failed: 0 ************";

// Request and reply lines for the host 10.0.0.9, size 32, no source, reply time 12.
QString Request(int n) {
    return QStringLiteral("[%1] Sending: 32 bytes  --->   10.0.0.9").arg(n);
}
const QString kReply = "     >>> Success reply from: 10.0.0.9   Time: 12ms     ";

}  // namespace

TEST(PingRunner, BurstWithEveryReply) {
    ReachWindow r;
    r.w->edHostName->setEditText("10.0.0.9");
    for (int i = 0; i < 5; ++i) r.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 12));
    r.w->btnPing->click();

    QStringList expected = {"", ">>>>> Start Ping."};
    for (int n = 1; n <= 5; ++n) expected << Request(n) << kReply;
    expected << kSummary5of5;
    EXPECT_EQ(r.log(), expected);
    EXPECT_EQ(r.ping->PacketSize(), 32);
    EXPECT_EQ(r.ping->Timeout(), 1);
    EXPECT_EQ(r.ping->LocalHost(), "");
    EXPECT_EQ(r.ping->pinged, QStringList(5, "10.0.0.9"));
    EXPECT_TRUE(r.w->btnPing->isEnabled());
    EXPECT_TRUE(r.boxes.shown.empty());
}

TEST(PingRunner, BurstWhereEveryAttemptFails) {
    // The failure line names the component's RemoteHost, or the typed host when that is empty.
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
        ReachWindow r;
        r.w->edHostName->setEditText(c.host);
        for (int i = 0; i < 5; ++i)
            r.ping->script.push_back(ScriptedPing::Fail(11010, "Request timed out", c.remote));
        r.w->btnPing->click();
        const QStringList log = r.log();
        ASSERT_EQ(log.size(), 13);
        for (int n = 1; n <= 5; ++n) EXPECT_EQ(log[2 * n + 1], c.line);
        EXPECT_EQ(log.last(), "************ Ping Count: 5 Success: 0 Failed: 5 ************");
        EXPECT_TRUE(r.boxes.shown.empty()) << "failed pings are logged, not shown";
    }
}

TEST(PingRunner, ContinuousRunStoppedByClearingTheBox) {
    ReachWindow r;
    r.w->edHostName->setEditText("10.0.0.9");
    using S = ScriptedPing;
    r.ping->script = {S::Reply("10.0.0.9", 12), S::Fail(11010, "Request timed out", "10.0.0.9"),
                      S::Reply("10.0.0.9", 12), S::Fail(11010, "Request timed out", "10.0.0.9"),
                      S::Reply("10.0.0.9", 12)};
    r.w->cbLoopPing->setChecked(true);
    r.w->btnPing->click();
    EXPECT_TRUE(r.w->IsLoopPing);
    EXPECT_TRUE(r.w->tmLooping->isActive());
    EXPECT_EQ(r.w->tmLooping->interval(), 2000);
    EXPECT_TRUE(r.w->btnPing->isEnabled()) << "enabled until the first tick";
    EXPECT_TRUE(r.log().isEmpty()) << "no line before the first tick";

    for (int tick = 0; tick < 5; ++tick) {
        r.w->tmLoopingTimer();
        EXPECT_FALSE(r.w->btnPing->isEnabled());
    }
    r.w->cbLoopPing->setChecked(false);
    EXPECT_FALSE(r.w->IsLoopPing);
    EXPECT_TRUE(r.w->tmLooping->isActive()) << "the run ends at the next tick";
    r.w->tmLoopingTimer();

    const QString fail = "  !Error sending.  10.0.0.9   11010: Request timed out";
    EXPECT_EQ(r.log(),
              QStringList({Request(1), kReply, Request(2), fail, Request(3), kReply, Request(4),
                           fail, Request(5), kReply,
                           "************ Ping Count: 5 Success: 3 Failed: 2 ************"}));
    EXPECT_FALSE(r.w->tmLooping->isActive());
    EXPECT_TRUE(r.w->btnPing->isEnabled());
}

TEST(PingRunner, UntickingAndTickingAgainWithinOneTickKeepsTheRunGoing) {
    ReachWindow r;
    r.w->edHostName->setEditText("10.0.0.9");
    for (int i = 0; i < 2; ++i) r.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 12));
    r.w->cbLoopPing->setChecked(true);
    r.w->btnPing->click();
    r.w->tmLoopingTimer();
    r.w->cbLoopPing->setChecked(false);
    r.w->cbLoopPing->setChecked(true);
    r.w->tmLoopingTimer();
    EXPECT_EQ(r.w->iCountPing, 2);
    EXPECT_TRUE(r.w->tmLooping->isActive());
    EXPECT_EQ(r.log().size(), 4) << "no summary: the run goes on";
    r.w->tmLooping->stop();
}

TEST(PingRunner, RefusedPacketSizeEndsTheClickWithTheErrorBox) {
    ReachWindow r;
    r.ping->refuseSize = true;
    r.w->iCountPing = 7;  // the counters of the last run stay
    r.w->btnPing->click();
    EXPECT_TRUE(r.log().isEmpty());
    EXPECT_EQ(r.w->iCountPing, 7);
    EXPECT_TRUE(r.w->btnPing->isEnabled());
    EXPECT_TRUE(r.ping->pinged.isEmpty());
    EXPECT_EQ(r.boxes.errors(), QStringList("11007: Packet size refused."));
}

TEST(PingRunner, AFailureOfAnotherKindEndsTheBurstWithoutSummary) {
    ReachWindow r;
    r.w->edHostName->setEditText("10.0.0.9");
    ScriptedPing::Step broken;
    broken.other = true;
    r.ping->script = {ScriptedPing::Reply("10.0.0.9", 12), broken};
    r.w->btnPing->click();
    EXPECT_EQ(r.log(), QStringList({"", ">>>>> Start Ping.", Request(1), kReply, Request(2)}));
    EXPECT_TRUE(r.w->btnPing->isEnabled());
    EXPECT_EQ(r.boxes.errors(), QStringList("Out of memory."));
}

TEST(PingRunner, SourceAdapterShowsFromLinesAndLongLinesAreNotCut) {
    ReachWindow r;
    r.chooseAdapter("Intel(R) Ethernet", "192.168.1.20");
    r.w->edHostName->setEditText("10.0.0.9");
    r.w->neByte->setValue(4000);
    r.ping->script = {ScriptedPing::Reply("10.0.0.9", 3)};
    r.w->cbLoopPing->setChecked(true);
    r.w->btnPing->click();
    EXPECT_EQ(r.ping->LocalHost(), "192.168.1.20");
    EXPECT_EQ(r.ping->PacketSize(), 4000);

    // A later pick shows in the lines; the run keeps the source it started with.
    r.chooseAdapter("Wi-Fi", "10.1.1.5");
    r.w->tmLoopingTimer();
    EXPECT_EQ(r.log().first(), "[1] Sending: 4000 bytes, From: Wi-Fi [10.1.1.5]  ---> 10.0.0.9");
    EXPECT_EQ(r.ping->LocalHost(), "192.168.1.20");
    r.w->tmLooping->stop();

    // A burst shows the source address as the component reads it back.
    ReachWindow b;
    b.chooseAdapter("eth0", "192.168.1.20");
    b.w->edHostName->setEditText("10.0.0.9");
    for (int i = 0; i < 5; ++i) b.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 3));
    b.w->btnPing->click();
    EXPECT_EQ(b.log()[2], "[1] Sending: 32 bytes, From: eth0 [192.168.1.20]  ---> 10.0.0.9");
}

// Under a locale with its own digits the packet size is shown in them, and what is shown is what
// goes out; the log writes plain decimal.
TEST(PingRunner, PacketSizeUnderALocaleWithItsOwnDigits) {
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
    struct Case {
        int size;
        QString shown;
        QString request;
    } cases[] = {{32, QString::fromUtf8("٣٢"), Request(1)},
                 {1500, QString::fromUtf8("١٬٥٠٠"), "[1] Sending: 1500 bytes  ---> 10.0.0.9"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ReachWindow r;
        r.w->edHostName->setEditText("10.0.0.9");
        r.w->neByte->setValue(c.size);
        EXPECT_EQ(r.w->neByte->text(), c.shown);
        r.w->neByte->commit();  // leaving the field keeps it
        EXPECT_EQ(r.w->neByte->text(), c.shown);
        for (int i = 0; i < 5; ++i) r.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 12));
        r.w->btnPing->click();
        EXPECT_EQ(r.ping->PacketSize(), c.size);
        EXPECT_EQ(r.log()[2], c.request);
    }
}
