// The real components on Windows' facilities (echo API, Winsock, IP Helper), run under Wine by
// tests/win/wine-tests.sh inside its namespace chain (tests/win/wine-ns.sh):
//     host 10.201.1.2 (+ 10.201.3.1) -- router 10.201.1.1 / 10.201.2.1 -- target 10.201.2.2
// The script sets VT_CHAIN=1 once it has checked that Wine sees only the host's adapters, and
// sends a syslog datagram from the target to the host's port 514 every half second.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>
#include <QUdpSocket>
#include <vector>

#include "netcomp/adapters/TncIPInfo.h"
#include "netcomp/icmp/TncPing.h"
#include "netcomp/icmp/TncTraceRoute.h"
#include "netcomp/syslog/TncSysLog.h"
#include "netcomp/tcp/TncTelnet.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/ProcessUntil.h"

namespace {

const QString kHost = QStringLiteral("10.201.1.2");
const QString kRouter = QStringLiteral("10.201.1.1");
const QString kTarget = QStringLiteral("10.201.2.2");

class Chain : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("VT_CHAIN") != "1")
            GTEST_SKIP() << "runs only inside the namespace chain of tests/win/wine-tests.sh";
    }
};

}  // namespace

TEST_F(Chain, IPInfoListsTheHostAdaptersFromIPHelper) {
    TncIPInfo info;
    ASSERT_EQ(info.AdapterCount(), 2) << "loopback is not an adapter";
    QStringList seen;
    for (int i = 0; i < info.AdapterCount(); ++i) {
        info.setAdapterIndex(i);
        seen << info.AdapterDescription() + " " + info.AdapterIPAddress() + " " +
                    info.AdapterSubnetMask() + " " + info.AdapterGateway();
        if (info.AdapterDescription() != "vwh0") continue;
        EXPECT_EQ(info.AdapterDNSServers(), "10.201.1.1 10.201.3.254");
        EXPECT_EQ(info.AdapterType(), "Ethernet");
        EXPECT_EQ(info.AdapterPhysicalAddress().size(), 17);
    }
    EXPECT_TRUE(seen.contains("vwh0 10.201.1.2 255.255.255.0 10.201.1.1"))
        << seen.join(" | ").toStdString();
    EXPECT_TRUE(seen.contains("vwd0 10.201.3.1 255.255.255.0 ")) << seen.join(" | ").toStdString();
}

TEST_F(Chain, PingOnLoopbackAndBeyondTheRouter) {
    TncPing ping;
    ping.setTimeout(1);
    int responses = 0;
    ping.OnResponse = [&](TncPing*, int, const QString&, const QString&, int) { ++responses; };
    for (const QString& host : {QStringLiteral("127.0.0.1"), kTarget}) {
        SCOPED_TRACE(host.toStdString());
        ping.setPacketSize(5000);  // fragmented beyond the router
        ping.PingHost(host);
        EXPECT_EQ(ping.ResponseSource(), host);
        EXPECT_GE(ping.ResponseTime(), 0);
        EXPECT_LT(ping.ResponseTime(), 1000);
    }
    EXPECT_EQ(responses, 2);
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost("10.201.2.99"); }), "11010: Request timed out");
    EXPECT_EQ(responses, 2) << "no response event for a failed echo";
}

TEST_F(Chain, TraceHopsThroughTheRouter) {
    TncTraceRoute trace;
    trace.setHopTimeout(1);
    QStringList hops;
    trace.OnHop = [&](TncTraceRoute*, int, const QString& address, int) { hops << address; };
    trace.TraceTo(kTarget);
    EXPECT_EQ(hops, QStringList({kRouter, kTarget}));
    hops.clear();
    trace.TraceTo("127.0.0.1");
    EXPECT_EQ(hops, QStringList("127.0.0.1"));
}

TEST_F(Chain, TelnetAcceptedOnTheAdapterRefusedBeyondTheRouter) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress(kHost)));
    TncTelnet telnet;
    QStringList seen;
    telnet.OnConnected = [&](TncTelnet* t, int code, const QString& text) {
        seen << QStringLiteral("%1 %2").arg(code).arg(text);
        if (code == 0) t->Disconnect();
    };
    telnet.setRemoteHost(kHost);
    telnet.setRemotePort(server.serverPort());
    telnet.setConnected(true);
    ASSERT_TRUE(ProcessUntil([&] { return !seen.isEmpty(); }, 5000));
    EXPECT_TRUE(seen.first().startsWith(
        QStringLiteral("0 Connected to %1:%2 in ").arg(kHost).arg(server.serverPort())))
        << seen.first().toStdString();

    seen.clear();
    telnet.setRemoteHost(kTarget);  // nothing listens there: the target's stack refuses
    telnet.setRemotePort(7);
    telnet.setConnected(true);
    ASSERT_TRUE(ProcessUntil([&] { return !seen.isEmpty(); }, 5000));
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen.first().startsWith("10061 Connection refused in "))
        << seen.first().toStdString();
}

TEST_F(Chain, SyslogOnPort514FromLoopbackAndFromTheTarget) {
    TncSysLog syslog;
    std::vector<std::pair<QString, QString>> got;  // source address, message
    syslog.OnPacketIn = [&](TncSysLog*, int, const QString&, int, const QString&, const QString&,
                            const QString&, const QString& message, bool, const QString&,
                            const QByteArray&, const QString& source,
                            int) { got.emplace_back(source, message); };
    syslog.SetActive(true);
    ASSERT_TRUE(syslog.Active());
    EXPECT_EQ(syslog.LocalPort(), 514);

    QUdpSocket sender;
    sender.writeDatagram("<13>Oct 11 22:14:15 win probe: from loopback", QHostAddress::LocalHost,
                         514);
    const auto from = [&](const QString& source) {
        for (const auto& [s, m] : got)
            if (s == source) return m;
        return QString();
    };
    ASSERT_TRUE(ProcessUntil([&] { return !from("127.0.0.1").isEmpty(); }, 5000));
    EXPECT_EQ(from("127.0.0.1"), "probe: from loopback");
    ASSERT_TRUE(ProcessUntil([&] { return !from(kTarget).isEmpty(); }, 10000))
        << "nothing from the target beyond the router";
    EXPECT_EQ(from(kTarget), "probe: from the target");
}
