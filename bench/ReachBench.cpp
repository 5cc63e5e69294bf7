// Reachability benchmarks on namespace chains (run as root; rerunnable):
//   reach-bench trace   trace route wall time with one and three silent hops, this program's
//                       trace next to Debian's "traceroute -I -n -q 1 -w 10" on the same chain
//   reach-bench ping    mean round trip of 20 echoes over a link that delays every frame 20 ms
//                       (each way), this program's ping next to Debian's "ping"
// Every address used lives in namespaces the benchmark creates and removes.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <cstdio>
#include <numeric>
#include <vector>

#include "IcmpProbe.h"
#include "NetNs.h"
#include "RouteChain.h"
#include "TncPing.h"
#include "TncTraceRoute.h"

namespace {

double Seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// One trace on a chain of `routers` routers whose first `silent` ones keep quiet.
void TraceCase(int routers, const std::vector<int>& silent) {
    RouteChain chain(routers);
    for (int r : silent) chain.silence(r);
    const std::string server = RouteChain::text(chain.serverAddress());

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
    const std::string out = chain.client().out("traceroute -I -n -q 1 -w 10 " + server);
    const double theirs = Seconds(t);

    std::printf("%zu silent hop(s), %d routers: this trace %.2f s [%s]; traceroute %.2f s\n",
                silent.size(), routers, ours, qPrintable(hops.join(' ')), theirs);
    std::fputs(out.c_str(), stdout);
}

double Mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

void PingCase() {
    RouteChain chain(0, {{1, 20}});
    chain.client().exec("sysctl -qw net.ipv4.ping_group_range=\"0 2147483647\"");
    const std::string server = RouteChain::text(chain.serverAddress());
    chain.client().exec("ping -c 3 -i 0.2 -q " + server + " >/dev/null");  // neighbours learnt

    std::vector<double> component, rawProbe, datagramProbe;
    {
        NsEnter in(chain.client());
        TncPing ping;
        ping.setTimeout(1);
        for (int i = 0; i < 20; ++i) {
            ping.PingHost(QString::fromStdString(server));
            component.push_back(ping.ResponseTime());
            usleep(200000);
        }
        for (auto [kind, into] : {std::pair{icmp::SocketKind::Raw, &rawProbe},
                                  std::pair{icmp::SocketKind::Datagram, &datagramProbe}}) {
            auto probe = icmp::OpenIcmpProbe(0, kind);
            for (int i = 0; i < 20; ++i) {
                probe->send({chain.serverAddress(), 0, 32, 1000});
                for (bool got = false; !got;)
                    for (const auto& r : probe->wait(1000)) {
                        got = true;
                        if (r.outcome == icmp::Outcome::Reply) into->push_back(r.rttMs);
                    }
                usleep(200000);
            }
        }
    }
    const std::string out = chain.client().out("ping -n -c 20 -i 0.2 -s 32 " + server);
    QRegularExpressionMatch m = QRegularExpression(QStringLiteral("= [0-9.]+/([0-9.]+)/"))
                                    .match(QString::fromStdString(out));
    std::printf("20 echoes, 32 data bytes, link delaying each frame 20 ms:\n");
    std::printf("  TncPing ResponseTime (whole ms) mean %.3f ms\n", Mean(component));
    std::printf("  prober, raw socket               mean %.3f ms\n", Mean(rawProbe));
    std::printf("  prober, datagram socket          mean %.3f ms\n", Mean(datagramProbe));
    std::printf("  Debian ping                      avg  %s ms\n",
                m.hasMatch() ? qPrintable(m.captured(1)) : "?");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (::geteuid() != 0) {
        std::fputs("reach-bench needs root (network namespaces)\n", stderr);
        return 2;
    }
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (what == "trace") {
        TraceCase(2, {2});
        TraceCase(4, {1, 2, 3});
    } else if (what == "ping") {
        PingCase();
    } else {
        std::fputs("usage: reach-bench trace|ping\n", stderr);
        return 2;
    }
    return 0;
}
