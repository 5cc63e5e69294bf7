// The receiver window and the loopback sender against a scripted component.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "address/IPv4Edit.h"
#include "common/DateTimeFormat.h"
#include "syslog/SyslogLineModel.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"
#include "tests/support/EnterInFields.h"
#include "tests/syslog/SyslogFakes.h"
#include "ui/NumericEdit.h"

namespace {

class SyslogReceiver : public ScriptedSyslogWindow {
  protected:
    QStringList list() const { return w.store().lines(); }
    QString startStop() const { return FormatDateTime(stamp::StartStop, clock.time); }
    struct State {
        bool start, stop, test;
        QString caption;
        bool active;
    };
    void expectState(const State& s) {
        EXPECT_EQ(w.btnStart->isEnabled(), s.start);
        EXPECT_EQ(w.btnStop->isEnabled(), s.stop);
        EXPECT_EQ(w.btnTest->isEnabled(), s.test);
        EXPECT_EQ(w.windowTitle(), s.caption);
        EXPECT_EQ(component.active, s.active);
    }
    const State initial{true, true, false, "Syslog Server", false};
    const State listening{false, true, true, "  >>> Listening syslog message....", true};
    const State stopped{true, false, false, "Velkor Log.", false};
};

}  // namespace

TEST_F(SyslogReceiver, StartAndStopFollowTheirStates) {
    expectState(initial);
    EXPECT_EQ(component.RemoteHost(), "127.0.0.1");
    EXPECT_FALSE(w.pnMessage->isVisibleTo(&w));

    w.btnStop->click();  // right after start-up: harmless, writes its line
    expectState(stopped);
    component.calls.clear();
    w.btnStart->click();
    expectState(listening);
    EXPECT_EQ(component.calls, (QStringList{"Active?", "Active=1"}));
    w.btnStartClick();  // already open (its button is disabled): closed first, then opened
    EXPECT_EQ(component.calls.mid(2), (QStringList{"Active?", "Active=0", "Active=1"}));
    w.btnStop->click();
    expectState(stopped);
    EXPECT_EQ(list(), (QStringList{startStop() + "  >>> Stop syslog message....",
                                   startStop() + "  >>> Start Listening syslog message....",
                                   startStop() + "  >>> Start Listening syslog message....",
                                   startStop() + "  >>> Stop syslog message...."}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SyslogReceiver, StartLineWithLocalStampHoldsBothStamps) {
    w.cbStampdatetime->setChecked(true);
    w.btnStart->click();
    EXPECT_EQ(list(), QStringList{FormatDateTime(stamp::LogLine, clock.time) + " " + startStop() +
                                  "  >>> Start Listening syslog message...."});
}

TEST_F(SyslogReceiver, FailedStartShowsTheErrorAndKeepsTheRest) {
    component.failOn = [](const QString& call) {
        if (call == "Active=1") throw EncSysLog(301, "Cannot listen on UDP port 514: taken");
    };
    w.btnStart->click();
    EXPECT_EQ(boxes.texts("error"), QStringList{"301: Cannot listen on UDP port 514: taken."});
    expectState({true, true, true, "Syslog Server", false});  // only btnTest changed
    EXPECT_TRUE(list().isEmpty());
}

TEST_F(SyslogReceiver, LinesCarryTheTickedFields) {
    const QByteArray packet = "<165>Oct 11 22:14:15 router1 link down";
    struct Ticks {
        bool facility, severity, host, source;
        const char* line;
    } cases[] = {
        {false, false, false, false, "Oct 11 22:14:15     link down"},
        {true, true, true, true, "Oct 11 22:14:15 local4 notice router1 192.0.2.7 link down"},
        {false, false, false, true, "Oct 11 22:14:15    192.0.2.7 link down"},
        {true, false, true, false, "Oct 11 22:14:15 local4  router1  link down"},
    };
    for (const Ticks& t : cases) {
        SCOPED_TRACE(t.line);
        w.cbFacility->setChecked(t.facility);
        w.cbSeverity->setChecked(t.severity);
        w.cbHostName->setChecked(t.host);
        w.cbSourceAddress->setChecked(t.source);
        component.inject(packet);
        EXPECT_EQ(list().last(), t.line);
        EXPECT_EQ(w.selectedRow(), list().size() - 1);
        EXPECT_EQ(w.spStatus->text(), "Source Address: 192.0.2.7");
    }
    component.inject("plain", "2001:db8::1");
    EXPECT_EQ(w.spStatus->text(), "Source Address: 2001:db8::1");
}

// A sender cannot break the one-line-per-message list or the CR LF file lines.
TEST_F(SyslogReceiver, ControlCharactersBecomeVisibleEscapes) {
    w.edValue->setValue(10);
    static const char raw[] = "<13>Oct 11 22:14:15 h a\r\nb\tc\0d\x1b[31m\xc2\x85\xe2\x80\xa8 \\x";
    component.inject(QByteArray(raw, sizeof raw - 1));
    const QString line = list().last();
    EXPECT_EQ(line, "Oct 11 22:14:15     a\\r\\nb\\tc\\0d\\x1B[31m\\x85\\u2028 \\x");
    for (int i = 0; i < 10; ++i) component.inject("<13>filler");
    const QStringList saved =
        FileLines(dir.filePath("auto-" + FormatDateTime(stamp::FileName, clock.time) + "-log.txt"));
    ASSERT_EQ(saved.size(), 11);
    EXPECT_EQ(saved[0], line);
}

TEST_F(SyslogReceiver, DetailViewShowsTheClickedLineOnly) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.AddLogLine("first line");
    w.AddLogLine(QString(300, u'x') + "end");
    QTest::qWait(2 * SyslogLineModel::kLongestFlushMs);  // the view catches up in batches
    const QRect second = w.LogBox->visualRect(w.model().index(1));
    QTest::mouseClick(w.LogBox->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(w.mmDetail->toPlainText(), QString(300, u'x') + "end");
    const QRect first = w.LogBox->visualRect(w.model().index(0));
    QTest::mouseClick(w.LogBox->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(w.mmDetail->toPlainText(), "first line");
    w.AddLogLine("later");
    QTest::qWait(2 * SyslogLineModel::kLongestFlushMs);
    EXPECT_EQ(w.mmDetail->toPlainText(), "first line");
    EXPECT_EQ(w.LogBox->currentIndex().row(), 2);  // the view caught up with the selection
}

TEST_F(SyslogReceiver, HiddenWindowKeepsListening) {
    w.show();
    w.btnStart->click();
    w.close();
    component.inject("<13>while hidden");
    w.show();
    expectState(listening);
    EXPECT_EQ(list().last(), "     while hidden");
    EXPECT_FALSE(w.ClockStatus1->text().isEmpty());
    EXPECT_EQ(w.ClockStatus1->text(), FormatDateTime(stamp::ClockPane, clock.time));
}

TEST_F(SyslogReceiver, SenderSendsNumberedMessagesAndLeavesTheReceiverAsFound) {
    w.btnStart->click();
    w.btnTest->click();
    EXPECT_TRUE(w.pnMessage->isVisibleTo(&w));
    struct Send {
        bool listeningBefore;
        const char* message;
        int count;
        QStringList sends;
    } cases[] = {
        {true,
         "> Test send syslog message successfully.",
         2,
         {"Send 5 7 1 > > Test send syslog message successfully.",
          "Send 5 7 2 > > Test send syslog message successfully."}},
        {false, "", 1, {"Send 5 7 1 > "}},
    };
    for (const Send& s : cases) {
        SCOPED_TRACE(s.listeningBefore);
        if (!s.listeningBefore) w.btnStop->click();
        w.edIP->setText("127.0.0.2");
        w.edPort->setValue(5514);
        w.edMessage->setText(s.message);
        w.edSendCount->setValue(s.count);
        component.calls.clear();
        w.btnSend->click();
        QStringList want = {"Active?"};
        if (s.listeningBefore) want << "Active=0";
        want << "RemoteHost=127.0.0.2"
             << "RemotePort=5514"
             << "Active=1" << s.sends;
        if (!s.listeningBefore)
            want << "Active?"
                 << "Active=0";
        component.calls.removeAll("Active?");
        want.removeAll("Active?");
        EXPECT_EQ(component.calls, want);
        expectState(s.listeningBefore ? listening : stopped);
    }
    EXPECT_TRUE(boxes.shown.empty());
    w.btnClose->click();
    EXPECT_FALSE(w.pnMessage->isVisibleTo(&w));
}

// The dropped count runs from Start to Stop: a test send closes and reopens the component, whose
// own count starts again, and what the earlier openings dropped stays in the pane, once.
TEST_F(SyslogReceiver, DroppedCountRunsFromStartToStopAcrossTestSends) {
    const auto paneShows = [this](long long n) {
        const QString want = QStringLiteral("Dropped: %1").arg(n);
        return QTest::qWaitFor([&] { return w.spDropped->text() == want; },
                               10 * TfSyslog::kDroppedRefreshMs);
    };
    w.btnStart->click();
    EXPECT_TRUE(paneShows(0));
    component.dropped = 3;
    EXPECT_TRUE(paneShows(3));
    w.edSendCount->setValue(1);
    w.btnSend->click();
    ASSERT_EQ(component.dropped, 0) << "the send reopened the component";
    component.dropped = 2;
    EXPECT_TRUE(paneShows(5));

    component.failOn = [](const QString& call) {  // reopening fails: closed from here on
        if (call == "Active=1") throw EncSysLog(301, "Cannot listen on UDP port 514: taken");
    };
    w.btnSend->click();
    component.failOn = nullptr;
    expectState(stopped);
    QTest::qWait(3 * TfSyslog::kDroppedRefreshMs);
    EXPECT_EQ(w.spDropped->text(), "Dropped: 5");

    w.btnStart->click();  // a new span
    component.dropped = 4;
    w.btnSend->click();
    component.dropped = 1;
    w.btnStop->click();
    EXPECT_EQ(w.spDropped->text(), "Dropped: 5");
    w.btnSend->click();  // a send while stopped opens and closes; the span is over
    QTest::qWait(3 * TfSyslog::kDroppedRefreshMs);
    EXPECT_EQ(w.spDropped->text(), "Dropped: 5");
}

// Enter in a field, the sender panel's included, runs no button.
TEST_F(SyslogReceiver, EnterInAFieldRunsNoButton) {
    w.show();
    w.btnStart->click();
    w.btnTest->click();
    component.calls.clear();
    const QStringList before = list();
    EXPECT_EQ(ButtonClicksFromEnterInFields(&w), 0);
    EXPECT_EQ(component.calls.filter(QRegularExpression("^(Active=|Send)")), QStringList());
    EXPECT_EQ(list(), before);
    EXPECT_TRUE(boxes.shown.empty());
    expectState(listening);
}

// The clock pane under a locale whose short date format marks its separators as right-to-left
// (ar_EG: d, U+200F, "/", M, U+200F, "/", yyyy): the marks are no separators, the "/" is.
TEST_F(SyslogReceiver, ClockPaneKeepsItsDateSeparatorsUnderArabic) {
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
    w.show();
    EXPECT_EQ(w.ClockStatus1->text(), "09/12/2026 02:05:07 pm");
    w.btnStart->click();
    EXPECT_EQ(list().last(), "09:12:2026 14:05:07  >>> Start Listening syslog message....");
}

// Failures while sending reach the error box; the receiver still ends as it was, and the
// buttons and caption say what the component really does.
TEST_F(SyslogReceiver, FailedSendsKeepButtonsInStepWithTheComponent) {
    w.btnStart->click();
    component.failOn = [](const QString& call) {
        if (call.startsWith("Send 5 7 2 ")) throw EncSysLog(314, "Cannot send: gone");
    };
    w.edSendCount->setValue(5);
    w.btnSend->click();
    EXPECT_EQ(boxes.texts("error"), QStringList{"314: Cannot send: gone."});
    EXPECT_EQ(component.calls.filter("Send ").size(), 1);  // the rest skipped
    expectState(listening);

    component.failOn = [&](const QString& call) {  // reopening fails: now it is closed
        if (call == "Active=1") throw EncSysLog(301, "Cannot listen on UDP port 514: taken");
    };
    w.btnSend->click();
    expectState(stopped);

    component.failOn = nullptr;
}

// The sender's address edit holds only whole addresses, so Send never stops the receiver for
// an address the component would refuse.
TEST_F(SyslogReceiver, SenderAddressIsAlwaysWhole) {
    w.btnStart->click();
    EXPECT_FALSE(w.edIP->setText("1.2.3"));
    EXPECT_EQ(w.edIP->text(), "127.0.0.1");
    w.edIP->field(3)->clear();  // a field left empty counts as 0
    w.edSendCount->setValue(1);
    w.btnSend->click();
    EXPECT_TRUE(component.calls.contains("RemoteHost=127.0.0.0"))
        << component.calls.join('|').toStdString();
    EXPECT_TRUE(boxes.shown.empty());
    expectState(listening);
}
