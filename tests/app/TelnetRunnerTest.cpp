#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

#include "tests/app/ScriptedReach.h"
#include "ui/NumericEdit.h"

namespace {
const QStringList kStart = {"", ">>>>> Start Telnet.", "Connecting to 10.0.0.9 Port: 10000..."};
const QString kClosed = "Telnet Connection closed successfully.";
}  // namespace

TEST(TelnetRunner, OutcomesOfTheAttempt) {
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
        ReachWindow r;
        r.telnet->peer = c.peer;
        r.w->edTelnetHost->setText("10.0.0.9");
        bool disabledDuring = false;
        QTimer::singleShot(0, r.w.get(), [&] { disabledDuring = !r.w->btnTelnet->isEnabled(); });
        r.w->btnTelnet->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(r.log(), kStart + c.after);
        EXPECT_EQ(r.telnet->calls.mid(0, 4), QStringList({"Connected=false", "RemoteHost=10.0.0.9",
                                                          "RemotePort=10000", "Connected=true"}));
        EXPECT_TRUE(r.w->btnTelnet->isEnabled());
        if (c.peer != Peer::ConnectedAtOnce) {
            EXPECT_TRUE(disabledDuring);
            EXPECT_GE(r.clock.tick - r.clock.step, 5000u) << "the wait lasts 5000 ms";
        }
    }
}

TEST(TelnetRunner, WaitLastsFiveSecondsAcrossTheTickCounterWrap) {
    ReachWindow r;
    r.telnet->peer = ScriptedTelnet::Peer::Silent;
    r.clock.tick = 0xFFFFFFFFu - 2000;  // wraps 2 s into the wait
    r.clock.step = 50;
    r.w->edTelnetHost->setText("10.0.0.9");
    r.w->btnTelnet->click();
    EXPECT_EQ(r.log().last(), kClosed);
    // 5000 ms in steps of 50: about 100 readings, neither ending at once nor running on.
    EXPECT_GE(r.clock.readings, 100);
    EXPECT_LE(r.clock.readings, 103);
}

TEST(TelnetRunner, EmptyHostGetsTheFocusAndNothingHappens) {
    ReachWindow r;
    r.w->btnTelnet->click();
    EXPECT_TRUE(r.log().isEmpty());
    EXPECT_TRUE(r.telnet->calls.isEmpty());
    EXPECT_EQ(r.w->focusWidget(), r.w->edTelnetHost);
    EXPECT_TRUE(r.w->btnTelnet->isEnabled());

    // Blanks are not empty: the test runs with them as the host.
    r.telnet->peer = ScriptedTelnet::Peer::Refuses;
    r.w->edTelnetHost->setText("   ");
    r.w->btnTelnet->click();
    EXPECT_EQ(r.log()[2], "Connecting to     Port: 10000...");
}

TEST(TelnetRunner, ComponentErrorsAreLoggedOthersReachTheErrorBox) {
    ReachWindow r;
    r.w->edTelnetHost->setText("10.0.0.9");
    r.telnet->refusePort = true;
    r.w->btnTelnet->click();
    EXPECT_EQ(r.log(), QStringList("!Telnet Error: 10049: Port refused"));
    EXPECT_TRUE(r.boxes.shown.empty());
    EXPECT_TRUE(r.w->btnTelnet->isEnabled());

    r.telnet->refusePort = false;
    r.telnet->otherFailure = true;
    r.w->btnTelnet->click();
    EXPECT_EQ(r.log().mid(1), kStart);
    EXPECT_EQ(r.boxes.errors(), QStringList("Socket layer missing."));
    EXPECT_TRUE(r.w->btnTelnet->isEnabled());
}

// Under a locale with its own digits the port is shown in them and tried as shown.
TEST(TelnetRunner, PortUnderALocaleWithItsOwnDigits) {
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
    ReachWindow r;
    r.telnet->peer = ScriptedTelnet::Peer::Silent;
    r.w->edTelnetHost->setText("10.0.0.9");
    EXPECT_EQ(r.w->neTelnetPort->text(), QString::fromUtf8("١٠٠٠٠"));
    r.w->btnTelnet->click();
    EXPECT_EQ(r.log(), kStart + QStringList{kClosed});
    EXPECT_TRUE(r.telnet->calls.contains("RemotePort=10000"));

    r.w->neTelnetPort->setText(QString::fromUtf8("٤٤٣"));
    r.w->neTelnetPort->commit();
    EXPECT_EQ(r.w->neTelnetPort->text(), QString::fromUtf8("٤٤٣"));
    r.telnet->calls.clear();
    r.w->btnTelnet->click();
    EXPECT_TRUE(r.telnet->calls.contains("RemotePort=443"));
    EXPECT_EQ(r.log().mid(r.log().size() - 2, 1),
              QStringList{"Connecting to 10.0.0.9 Port: 443..."});
}
