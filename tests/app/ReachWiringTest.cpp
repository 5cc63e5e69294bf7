// The main window's reachability controls wired to their runners: buttons, cursor, focus, the
// source adapter picked in the list, boxes for what the runners do not catch. What the runners
// write is tested on the runners themselves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QScopeGuard>

#include "tests/app/ScriptedReach.h"

namespace {

AdapterRecord Adapter(const std::string& description, const std::string& ip) {
    AdapterRecord r;
    r.description = r.osName = description;
    r.ipAddress = ip;
    return r;
}

const QString kReply = "     >>> Success reply from: 10.0.0.9   Time: 12ms     ";

}  // namespace

TEST(ReachWiring, PingButtonIsHeldWhileARunHoldsIt) {
    ReachWindow r;
    r.c->edHostName->setEditText("10.0.0.9");
    for (int i = 0; i < 7; ++i) r.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 12));
    r.c->btnPing->click();
    EXPECT_EQ(r.log().size(), 13);
    EXPECT_EQ(r.log()[3], kReply);
    EXPECT_TRUE(r.c->btnPing->isEnabled());

    // Continuous: free until the first tick, held from it to the tick that ends the run.
    r.c->cbLoopPing->setChecked(true);
    r.c->btnPing->click();
    EXPECT_TRUE(r.c->ping->loopTimer().isActive());
    EXPECT_TRUE(r.c->btnPing->isEnabled());
    r.c->ping->tmLoopingTimer();
    EXPECT_FALSE(r.c->btnPing->isEnabled());
    r.c->cbLoopPing->setChecked(false);
    r.c->ping->tmLoopingTimer();
    r.c->cbLoopPing->setChecked(true);  // after the end: starts nothing
    EXPECT_FALSE(r.c->ping->loopTimer().isActive());
    EXPECT_TRUE(r.c->btnPing->isEnabled());
    EXPECT_EQ(r.log().last(), "************ Ping Count: 1 Success: 1 Failed: 0 ************");
    EXPECT_TRUE(r.boxes.shown.empty());
}

TEST(ReachWiring, PingFromThePickedAdapterAndRefusalsInTheErrorBox) {
    ReachWindow r({Adapter("eth0", "192.168.1.20"), Adapter("wlan0", "")});
    r.c->edHostName->setEditText("10.0.0.9");
    r.pickAdapter(0);
    for (int i = 0; i < 5; ++i) r.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 3));
    r.c->btnPing->click();
    EXPECT_EQ(r.ping->LocalHost(), "192.168.1.20");
    EXPECT_EQ(r.log()[2], "[1] Sending: 32 bytes, From: eth0 [192.168.1.20]  ---> 10.0.0.9");

    // An adapter without an address: no source.
    r.pickAdapter(1);
    r.ping->refuseSize = true;
    r.c->btnPing->click();
    EXPECT_EQ(r.boxes.errors(), QStringList("11007: Packet size refused."));
    EXPECT_EQ(r.log().size(), 13) << "a refused setting logs nothing";
    EXPECT_TRUE(r.c->btnPing->isEnabled());
    r.ping->refuseSize = false;
    r.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 3));
    r.c->cbLoopPing->setChecked(true);
    r.c->btnPing->click();
    r.c->ping->tmLoopingTimer();
    EXPECT_EQ(r.ping->LocalHost(), "");
    EXPECT_EQ(r.log().mid(13, 1), QStringList("[1] Sending: 32 bytes  --->   10.0.0.9"));
    r.c->cbLoopPing->setChecked(false);
    r.c->ping->tmLoopingTimer();

    // A failure that is not the component's reaches the box; the button is free again.
    ScriptedPing::Step broken;
    broken.other = true;
    r.ping->script = {broken};
    r.c->btnPing->click();
    EXPECT_EQ(r.boxes.errors().last(), "Out of memory.");
    EXPECT_TRUE(r.c->btnPing->isEnabled());
}

// Under a locale with its own digits the packet size is shown in them, and what is shown is what
// goes out; the log writes plain decimal.
TEST(ReachWiring, PacketSizeUnderALocaleWithItsOwnDigits) {
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
    struct Case {
        int size;
        QString shown;
        QString request;
    } cases[] = {{32, QString::fromUtf8("٣٢"), "[1] Sending: 32 bytes  --->   10.0.0.9"},
                 {1500, QString::fromUtf8("١٬٥٠٠"), "[1] Sending: 1500 bytes  ---> 10.0.0.9"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ReachWindow r;
        r.c->edHostName->setEditText("10.0.0.9");
        r.c->neByte->setValue(c.size);
        EXPECT_EQ(r.c->neByte->text(), c.shown);
        r.c->neByte->commit();  // leaving the field keeps it
        EXPECT_EQ(r.c->neByte->text(), c.shown);
        for (int i = 0; i < 5; ++i) r.ping->script.push_back(ScriptedPing::Reply("10.0.0.9", 12));
        r.c->btnPing->click();
        EXPECT_EQ(r.ping->PacketSize(), c.size);
        EXPECT_EQ(r.log()[2], c.request);
    }
}

TEST(ReachWiring, TraceHoldsItsButtonAndTheCursorAndStopsOnTheStopButton) {
    ReachWindow r({Adapter("eth0", "192.168.1.20")});
    r.c->edHostName->setEditText("10.0.0.9");
    r.pickAdapter(0);
    r.trace->hops = {{"10.0.0.1", 1}, {"10.0.0.2", 2}, {"10.0.0.9", 3}};
    bool heldInside = false;
    r.trace->beforeHop = [&](int i) {
        heldInside = !r.c->btnTracerute->isEnabled();
        if (i == 1) r.c->btnStopTrace->click();
    };
    r.c->btnTracerute->click();
    EXPECT_TRUE(heldInside);
    EXPECT_TRUE(r.trace->cursorWasBusy);
    EXPECT_EQ(r.trace->LocalHost(), "192.168.1.20");
    EXPECT_EQ(r.log().mid(2), QStringList({"Trace Route From: eth0   --->   10.0.0.9",
                                           "[Hop 1] ---> 10.0.0.1                      Time: 1ms.",
                                           "[Hop 2] ---> 10.0.0.2                      Time: 2ms.",
                                           "********** Stop Trace Route. **********",
                                           "********** Trace Route Complete. **********"}));
    EXPECT_TRUE(r.c->btnTracerute->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A failing trace: the box, and the window as it was.
    r.trace->failAfter = 0;
    r.trace->failText = "Cannot resolve host name \"nohost.invalid\": Host not found";
    r.c->btnTracerute->click();
    EXPECT_EQ(r.boxes.errors(),
              QStringList("11050: Cannot resolve host name \"nohost.invalid\": Host not found."));
    EXPECT_TRUE(r.c->btnTracerute->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ReachWiring, PortTestFocusesTheEmptyHostAndHoldsItsButton) {
    ReachWindow r;
    r.w->show();
    r.c->btnTelnet->click();
    EXPECT_EQ(r.w->focusWidget(), r.c->edTelnetHost);
    EXPECT_TRUE(r.log().isEmpty());
    EXPECT_TRUE(r.telnet->calls.isEmpty());
    EXPECT_TRUE(r.c->btnTelnet->isEnabled());

    r.c->edTelnetHost->setText("10.0.0.9");
    r.telnet->peer = ScriptedTelnet::Peer::Refuses;
    bool heldDuring = false;
    QTimer::singleShot(0, r.w.get(), [&] { heldDuring = !r.c->btnTelnet->isEnabled(); });
    r.c->btnTelnet->click();
    EXPECT_TRUE(heldDuring);
    EXPECT_EQ(r.log().mid(3, 1), QStringList("Telnet Connection failed: Connection refused"));
    EXPECT_TRUE(r.c->btnTelnet->isEnabled());

    r.telnet->otherFailure = true;
    r.c->btnTelnet->click();
    EXPECT_EQ(r.boxes.errors(), QStringList("Socket layer missing."));
    EXPECT_TRUE(r.c->btnTelnet->isEnabled());
}

// Under a locale with its own digits the port is shown in them and tried as shown.
TEST(ReachWiring, PortUnderALocaleWithItsOwnDigits) {
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
    ReachWindow r;
    r.telnet->peer = ScriptedTelnet::Peer::Silent;
    r.c->edTelnetHost->setText("10.0.0.9");
    EXPECT_EQ(r.c->neTelnetPort->text(), QString::fromUtf8("١٠٠٠٠"));
    r.c->btnTelnet->click();
    EXPECT_TRUE(r.telnet->calls.contains("RemotePort=10000"));

    r.c->neTelnetPort->setText(QString::fromUtf8("٤٤٣"));
    r.c->neTelnetPort->commit();
    EXPECT_EQ(r.c->neTelnetPort->text(), QString::fromUtf8("٤٤٣"));
    r.telnet->calls.clear();
    r.c->btnTelnet->click();
    EXPECT_TRUE(r.telnet->calls.contains("RemotePort=443"));
    EXPECT_TRUE(r.log().contains("Connecting to 10.0.0.9 Port: 443..."));
}
