// Reachability benchmarks on namespace chains (run as root; rerunnable):
//   reach-bench trace   trace route wall time with one and three silent hops, this program's
//                       trace next to Debian's "traceroute -I -n -q 1 -w 10" on the same chain
//   reach-bench trace6, ping6: the same over IPv6, beside "traceroute -6 -I" and "ping -6"
//   reach-bench ping    mean round trip of 20 echoes over a link that delays every frame 20 ms
//                       (each way), this program's ping next to Debian's "ping", interleaved
// Every address used lives in namespaces the benchmark creates and removes.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <vector>

#include "netcomp/icmp/HostAddress.h"
#include "netcomp/icmp/IcmpProbe.h"
#include "netcomp/icmp/TncPing.h"
#include "netcomp/icmp/TncTraceRoute.h"
#include "tests/support/NetNs.h"
#include "tests/support/RouteChain.h"

namespace {

double Seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// One trace on a chain of `routers` routers whose listed ones keep quiet, over IPv4 or IPv6.
void TraceCase(int routers, const std::vector<int>& silent, bool v6 = false) {
    RouteChain chain(routers);
    for (int r : silent) chain.silence(r);
    const std::string server =
        v6 ? chain.serverAddress6() : RouteChain::text(chain.serverAddress());

    QElapsedTimer t;
    t.start();
    QStringList hops;
    {
        NsEnter in(chain.client());
        TncTraceRoute trace;  // initial values: hop time-out 10 s, hop limit 64, time-out 60 s
        trace.OnHop = [&](TncTraceRoute*, int, const QString& a, int) {
            hops << (a.isEmpty() ? QStringLiteral("*") : a);
        };
        trace.TraceTo(QString::fromStdString(server));
    }
    const double ours = Seconds(t);

    t.restart();
    const std::string out = chain.client().out(std::string("traceroute ") + (v6 ? "-6 " : "") +
                                               "-I -n -q 1 -w 10 " + server);
    const double theirs = Seconds(t);

    std::printf("%s, %zu silent hop(s), %d routers: this trace %.2f s [%s]; traceroute %.2f s\n",
                v6 ? "IPv6" : "IPv4", silent.size(), routers, ours, qPrintable(hops.join(' ')),
                theirs);
    std::fputs(out.c_str(), stdout);
}

double Mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Debian ping's time for one echo from the client, in ms (negative when none came back).
double DebianPingOnce(const NetNs& client, const std::string& server, bool v6) {
    const QString out = QString::fromStdString(client.out(
        std::string("ping ") + (v6 ? "-6 " : "") + "-n -c 1 -W 1 -s 32 " + server + " 2>&1"));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("time=([0-9.]+) ms")).match(out);
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

// 20 rounds, each one echo of every kind in turn, so load on the machine hits all alike.
void PingCase(bool v6) {
    RouteChain chain(0, {{1, 20}});
    chain.client().exec("sysctl -qw net.ipv4.ping_group_range=\"0 2147483647\"");
    const std::string server =
        v6 ? chain.serverAddress6() : RouteChain::text(chain.serverAddress());
    chain.client().exec(std::string("ping ") + (v6 ? "-6 " : "") + "-c 3 -i 0.2 -q " + server +
                        " >/dev/null");  // neighbours learnt
    icmp::Address target = chain.serverAddress();
    if (v6) {
        QString error;
        target = *ResolveHost(QString::fromStdString(server), false, error);
    }

    std::vector<double> component, rawProbe, datagramProbe, debian;
    const auto probeOnce = [&](icmp::SocketKind kind, std::vector<double>& into) {
        NsEnter in(chain.client());
        auto probe = icmp::OpenIcmpProbe(v6 ? icmp::Address::AnyIPv6() : icmp::Address(), kind);
        probe->send({target, 0, 32, 1000});
        for (bool got = false; !got;)
            for (const auto& r : probe->wait(1000)) {
                got = true;
                if (r.outcome == icmp::Outcome::Reply) into.push_back(r.rttMs);
            }
    };
    const std::vector<std::function<void()>> kinds = {
        [&] {
            NsEnter in(chain.client());
            TncPing ping;
            ping.setTimeout(1);
            ping.PingHost(QString::fromStdString(server));
            component.push_back(ping.ResponseTime());
        },
        [&] { probeOnce(icmp::SocketKind::Raw, rawProbe); },
        [&] { probeOnce(icmp::SocketKind::Datagram, datagramProbe); },
        [&] {
            if (const double t = DebianPingOnce(chain.client(), server, v6); t >= 0)
                debian.push_back(t);
        },
    };
    // Each round runs every kind once, starting with a different one, so neither the first echo
    // after a pause nor a burst of load on the machine falls on one kind only.
    for (int round = 0; round < 20; ++round) {
        for (std::size_t k = 0; k < kinds.size(); ++k)
            kinds[(k + std::size_t(round)) % kinds.size()]();
        usleep(100000);
    }
    std::printf("%s, 20 rounds, 32 data bytes, link delaying each frame 20 ms each way:\n",
                v6 ? "IPv6" : "IPv4");
    std::printf("  TncPing ResponseTime (whole ms) mean %.3f ms, median %.3f ms (%zu)\n",
                Mean(component), Median(component), component.size());
    std::printf("  prober, raw socket               mean %.3f ms, median %.3f ms (%zu)\n",
                Mean(rawProbe), Median(rawProbe), rawProbe.size());
    std::printf("  prober, datagram socket          mean %.3f ms, median %.3f ms (%zu)\n",
                Mean(datagramProbe), Median(datagramProbe), datagramProbe.size());
    std::printf("  Debian ping%s                   mean %.3f ms, median %.3f ms (%zu)\n",
                v6 ? " -6" : "   ", Mean(debian), Median(debian), debian.size());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (::geteuid() != 0) {
        std::fputs("reach-bench needs root (network namespaces)\n", stderr);
        return 2;
    }
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (what == "trace" || what == "trace6") {
        const bool v6 = what == "trace6";
        TraceCase(2, {2}, v6);
        TraceCase(4, {1, 2, 3}, v6);
    } else if (what == "ping" || what == "ping6") {
        PingCase(what == "ping6");
    } else {
        std::fputs("usage: reach-bench trace|ping|trace6|ping6\n", stderr);
        return 2;
    }
    return 0;
}
