// The real components on Windows' facilities (echo API, Winsock, IP Helper), run under Wine by
// tests/win/wine-tests.sh inside its namespace chain (tests/win/wine-ns.sh):
//     host 10.201.1.2 (+ 10.201.3.1) -- router 10.201.1.1 / 10.201.2.1 -- target 10.201.2.2
//     and over IPv6   fd77:1::2          -- router fd77:1::1 / fd77:2::1   -- target fd77:2::2
// The router answers echoes to 10.88.0.0/16 (host unreachable) and fd88::/16 (no route).
// The script sets VT_CHAIN=1 once it has checked that Wine sees only the host's adapters, and
// sends a syslog datagram from the target to the host's port 514 every half second.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>
#include <QUdpSocket>
#include <array>
#include <vector>

#include "netcomp/adapters/TncIPInfo.h"
#include "netcomp/icmp/IcmpProbe.h"
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
const QString kRouter6 = QStringLiteral("fd77:1::1");
const QString kTarget6 = QStringLiteral("fd77:2::2");

// The prober's refusal when this system has no IPv6 echo API (Wine 8 has stubs that answer
// ERROR_CALL_NOT_IMPLEMENTED), found by one echo to ::1; empty when it has one.
QString MissingIpv6EchoApi() {
    constexpr int kCallNotImplemented = 120;
    try {
        auto probe = icmp::OpenIcmpProbe(icmp::Address::AnyIPv6());
        std::array<std::uint8_t, 16> loopback{};
        loopback[15] = 1;
        probe->send({icmp::Address::IPv6(loopback), 0, 32, 1000});
        probe->cancelAll();
    } catch (const icmp::ProbeError& e) {
        if (e.code == kCallNotImplemented) return QString::fromStdString(e.what());
        throw;
    }
    return {};
}

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

namespace {

// One family's ping across the chain: loopback and the target answer (5000 bytes, fragmented
// beyond the router), a silent address times out, the router reports an unreachable one.
void PingAcrossTheChain(const QString& loopback, const QString& target, const QString& silent,
                        const QString& unreachable, const QString& unreachableError) {
    TncPing ping;
    ping.setTimeout(1);
    int responses = 0;
    ping.OnResponse = [&](TncPing*, int, const QString&, const QString&, int) { ++responses; };
    ping.setPacketSize(5000);
    for (const QString& host : {loopback, target}) {
        SCOPED_TRACE(host.toStdString());
        ping.PingHost(host);
        EXPECT_EQ(ping.ResponseSource(), host);
        EXPECT_GE(ping.ResponseTime(), 0);
        EXPECT_LT(ping.ResponseTime(), 1000);
    }
    EXPECT_EQ(responses, 2);
    ping.setPacketSize(64);  // one datagram: the router's IPv4 filter answers no fragment
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost(silent); }), "11010: Request timed out");
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost(unreachable); }), unreachableError);
    EXPECT_EQ(responses, 2) << "no response event for a failed echo";
}

}  // namespace

TEST_F(Chain, PingOnLoopbackAndBeyondTheRouter) {
    PingAcrossTheChain("127.0.0.1", kTarget, "10.201.2.99", "10.88.0.1",
                       "11003: Destination host unreachable (reported by 10.201.1.1)");
}

TEST_F(Chain, PingOverIPv6) {
    if (const QString missing = MissingIpv6EchoApi(); !missing.isEmpty())
        GTEST_SKIP() << "cannot run without the IPv6 echo API: " << missing.toStdString();
    PingAcrossTheChain("::1", kTarget6, "fd77:2::99", "fd88::1",
                       "11002: Destination net unreachable (reported by fd77:1::1)");
}

// Where the system has no IPv6 echo API, IPv6 hosts fail at once with an error that says so:
// no answer claimed, no wait, and IPv4 goes on working.
TEST_F(Chain, IPv6WithoutTheSystemApiFailsPlainly) {
    const QString missing = MissingIpv6EchoApi();
    if (missing.isEmpty()) GTEST_SKIP() << "this system has the IPv6 echo API";
    const QString expected = "120: " + missing;
    EXPECT_TRUE(missing.startsWith("This system has no IPv6 echo API (Icmp6"))
        << missing.toStdString();
    TncPing ping;
    ping.setTimeout(5);
    int responses = 0;
    ping.OnResponse = [&](TncPing*, int, const QString&, const QString&, int) { ++responses; };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ErrorOf<EncPing>([&] { ping.PingHost(kTarget6); }), expected);
    TncTraceRoute trace;
    int hops = 0;
    trace.OnHop = [&](TncTraceRoute*, int, const QString&, int) { ++hops; };
    EXPECT_EQ(ErrorOf<EncTraceRoute>([&] { trace.TraceTo(kTarget6); }), expected);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(responses, 0);
    EXPECT_EQ(ping.ResponseSource(), "");
    EXPECT_EQ(hops, 0);
    ping.PingHost(kTarget);
    EXPECT_EQ(responses, 1);
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

TEST_F(Chain, TraceOverIPv6) {
    if (const QString missing = MissingIpv6EchoApi(); !missing.isEmpty())
        GTEST_SKIP() << "cannot run without the IPv6 echo API: " << missing.toStdString();
    TncTraceRoute trace;
    trace.setHopTimeout(1);
    QStringList hops;
    trace.OnHop = [&](TncTraceRoute*, int, const QString& address, int) { hops << address; };
    trace.TraceTo(kTarget6);
    EXPECT_EQ(hops, QStringList({kRouter6, kTarget6}));
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
