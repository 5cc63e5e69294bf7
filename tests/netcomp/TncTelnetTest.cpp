#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <ctime>

#include "netcomp/tcp/TncTelnet.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/NetNs.h"
#include "tests/support/ProcessUntil.h"
#include "tests/support/Root.h"
#include "tests/support/RouteChain.h"

namespace {

// Every event of a telnet component, as "Connected <code> <text>" / "Disconnected <code> <text>".
struct Events {
    QStringList seen;
    std::function<void(TncTelnet*)> onConnected;
    explicit Events(TncTelnet& t) {
        t.OnConnected = [this](TncTelnet* s, int code, const QString& text) {
            seen << QStringLiteral("Connected %1 %2").arg(code).arg(text);
            if (onConnected) onConnected(s);
        };
        t.OnDisconnected = [this](TncTelnet*, int code, const QString& text) {
            seen << QStringLiteral("Disconnected %1 %2").arg(code).arg(text);
        };
    }
};

void Process(int ms) {
    ProcessUntil([] { return false; }, ms);
}

}  // namespace

TEST(TncTelnet, AcceptedConnectionIsReportedAndClosedFromTheHandler) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    TncTelnet telnet;
    Events events(telnet);
    events.onConnected = [](TncTelnet* t) {
        EXPECT_TRUE(t->Connected());
        t->Disconnect();
    };
    EXPECT_NO_THROW(telnet.setConnected(false)) << "harmless before any connection";
    telnet.setRemoteHost("127.0.0.1");
    telnet.setRemotePort(server.serverPort());
    telnet.setConnected(true);
    EXPECT_TRUE(events.seen.isEmpty()) << "the outcome comes while events are processed";
    ASSERT_TRUE(ProcessUntil([&] { return events.seen.size() == 2; }, 3000));
    ASSERT_EQ(events.seen.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Connected 0 Connected to 127\\.0\\.0\\.1:%1 in "
                                                  "[0-9]+\\.[0-9] ms$")
                                       .arg(server.serverPort()))
                    .match(events.seen[0])
                    .hasMatch())
        << events.seen[0].toStdString();
    EXPECT_EQ(events.seen[1], "Disconnected 0 Connection closed");
    EXPECT_FALSE(telnet.Connected());
}

TEST(TncTelnet, PeerThatSendsAndClosesIsReportedOnce) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* peer = server.nextPendingConnection();
        peer->write("login: ");  // the component discards it
        peer->disconnectFromHost();
    });
    TncTelnet telnet;
    Events events(telnet);
    telnet.setRemoteHost("localhost");
    telnet.setRemotePort(server.serverPort());
    telnet.setConnected(true);
    ASSERT_TRUE(ProcessUntil([&] { return events.seen.size() == 2; }, 3000));
    EXPECT_TRUE(events.seen[0].startsWith("Connected 0 "));
    EXPECT_EQ(events.seen[1], "Disconnected 0 Connection closed by the remote host");
    Process(100);
    EXPECT_EQ(events.seen.size(), 2);
    EXPECT_FALSE(telnet.Connected());
}

TEST(TncTelnet, RefusedPortIsAFailedOutcomeNotAnError) {
    quint16 port;
    {
        QTcpServer probe;  // a port that was just free, and is closed again
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    TncTelnet telnet;
    Events events(telnet);
    telnet.setRemoteHost("127.0.0.1");
    telnet.setRemotePort(port);
    EXPECT_NO_THROW(telnet.setConnected(true));
    ASSERT_TRUE(ProcessUntil([&] { return !events.seen.isEmpty(); }, 3000));
    Process(50);
    ASSERT_EQ(events.seen.size(), 1);
    EXPECT_TRUE(QRegularExpression("^Connected 10061 Connection refused in [0-9]+\\.[0-9] ms$")
                    .match(events.seen[0])
                    .hasMatch())
        << events.seen[0].toStdString();
    EXPECT_FALSE(telnet.Connected());
}

// A host that drops SYNs: no outcome for a while; writing false drops the attempt silently.
TEST(TncTelnet, SilentHostGivesNoOutcomeAndCanBeAbandoned) {
    VT_REQUIRE_ROOT();
    RouteChain chain(0);
    chain.server().exec(
        "nft add table ip t && nft add chain ip t in { type filter hook input priority 0 \\; } && "
        "nft add rule ip t in tcp dport 10000 drop");
    NsEnter in(chain.client());
    TncTelnet telnet;
    Events events(telnet);
    telnet.setRemoteHost(QString::fromStdString(chain.text(chain.serverAddress())));
    telnet.setRemotePort(10000);
    telnet.setConnected(true);
    Process(1500);
    EXPECT_TRUE(events.seen.isEmpty());
    EXPECT_FALSE(telnet.Connected());
    telnet.setConnected(false);
    Process(100);
    EXPECT_TRUE(events.seen.isEmpty());

    // With a time-out the write waits that long, asleep in the event loop, and returns without
    // an outcome.
    telnet.setTimeout(1);
    QElapsedTimer took;
    took.start();
    const std::clock_t cpu = std::clock();
    telnet.setConnected(true);
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    EXPECT_GE(took.elapsed(), 950);
    EXPECT_LT(cpuSeconds, 0.5) << "the wait must not spin";
    EXPECT_TRUE(events.seen.isEmpty());
    telnet.setConnected(false);
}

// A write of true with a time-out returns as soon as the outcome is there, whichever handler
// runs meanwhile, and a handler may start the next attempt from inside the wait.
TEST(TncTelnet, TimeOutWaitEndsWithTheOutcome) {
    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    TncTelnet telnet;
    Events events(telnet);
    events.onConnected = [&](TncTelnet* t) {
        if (events.seen.size() == 1) {  // refused: try the listening port, waiting again
            t->setRemotePort(server.serverPort());
            t->setConnected(true);
        }
    };
    telnet.setTimeout(20);
    telnet.setRemoteHost("127.0.0.1");
    telnet.setRemotePort(port);
    QElapsedTimer took;
    took.start();
    telnet.setConnected(true);
    EXPECT_LT(took.elapsed(), 10000) << "the wait lasted until its time-out";
    ASSERT_EQ(events.seen.size(), 2);
    EXPECT_TRUE(events.seen[0].startsWith("Connected 10061 "));
    EXPECT_TRUE(events.seen[1].startsWith("Connected 0 "));
    EXPECT_TRUE(telnet.Connected());
    telnet.Disconnect();
}

TEST(TncTelnet, RefusedValues) {
    TncTelnet telnet;
    telnet.setRemotePort(10000);
    for (int port : {0, -1, 65536}) {
        SCOPED_TRACE(port);
        EXPECT_EQ(ErrorOf<EncTelnet>([&] { telnet.setRemotePort(port); }),
                  QStringLiteral("10049: Port %1 is outside 1..65535").arg(port));
        EXPECT_EQ(telnet.RemotePort(), 10000);
    }
    EXPECT_EQ(ErrorOf<EncTelnet>([&] { telnet.setConnected(true); }),
              "11001: No remote host given");
    telnet.setRemoteHost("   ");  // not empty: tried as it is, and reported as an outcome
    EXPECT_EQ(telnet.RemoteHost(), "   ");
    EXPECT_EQ(telnet.Timeout(), 0);
}

// Over IPv6 the same: the address in brackets, the connect time after it.
TEST(TncTelnet, ConnectsOverIPv6) {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHostIPv6)) GTEST_SKIP() << "no IPv6 loopback here";
    TncTelnet telnet;
    Events events(telnet);
    events.onConnected = [](TncTelnet* t) { t->Disconnect(); };
    telnet.setRemoteHost("::1");
    telnet.setRemotePort(server.serverPort());
    telnet.setConnected(true);
    ASSERT_TRUE(ProcessUntil([&] { return events.seen.size() == 2; }, 3000));
    EXPECT_TRUE(events.seen[0].startsWith(
        QStringLiteral("Connected 0 Connected to [::1]:%1 in ").arg(server.serverPort())))
        << events.seen[0].toStdString();
}
