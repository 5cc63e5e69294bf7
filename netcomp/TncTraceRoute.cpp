#include "TncTraceRoute.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "EchoStatus.h"
#include "HostAddress.h"

namespace {
constexpr int kProbesAhead = 16;
constexpr int kSliceMs = 10;  // longest wait between two passes of the program's events
constexpr int kProbeData = 32;

void CheckRange(int value, int low, int high, const char* what) {
    if (value < low || value > high)
        throw EncTraceRoute(echo_status::kBadValue, QStringLiteral("%1 %2 is outside %3..%4")
                                                        .arg(QLatin1String(what))
                                                        .arg(value)
                                                        .arg(low)
                                                        .arg(high));
}
}  // namespace

void TncTraceRoute::setHopLimit(int hops) {
    CheckRange(hops, 1, 255, "Hop limit");
    m_hopLimit = hops;
}

void TncTraceRoute::setHopTimeout(int seconds) {
    CheckRange(seconds, 1, 600, "Hop time-out");
    m_hopTimeout = seconds;
}

void TncTraceRoute::setTimeout(int seconds) {
    CheckRange(seconds, 1, 3600, "Time-out");
    m_timeout = seconds;
}

void TncTraceRoute::setLocalHost(const QString& address) {
    if (!address.isEmpty() && !IsLocalIPv4(address))
        throw EncTraceRoute(
            echo_status::kBadValue,
            QStringLiteral("\"%1\" is not an IPv4 address of this machine").arg(address));
    m_localHost = address;
}

void TncTraceRoute::Reset() {
    if (m_tracing) m_reset = true;
}

QString TncTraceRoute::hopText(std::uint32_t address) const {
    const QString text = IPv4Text(address);
    if (!m_resolveNames) return text;
    const QString name = QHostInfo::fromName(text).hostName();
    return name.isEmpty() || name == text ? text : name + QStringLiteral(" [") + text + ']';
}

void TncTraceRoute::TraceTo(const QString& host) {
    if (m_tracing)
        throw EncTraceRoute(echo_status::kGeneralFailure,
                            QStringLiteral("A trace route is already running"));
    QString error;
    const auto destination = ResolveIPv4(host, error);
    if (!destination) throw EncTraceRoute(echo_status::kHostNotFound, error);
    std::uint32_t source = 0;
    if (!m_localHost.isEmpty()) icmp::ParseIPv4(m_localHost.toStdString(), source);

    std::unique_ptr<icmp::IcmpProbe> probe;
    try {
        probe = icmp::OpenIcmpProbe(source, m_kind);
    } catch (const icmp::ProbeError& e) {
        throw EncTraceRoute(e.code, QString::fromStdString(e.what()));
    }

    m_tracing = true;
    m_reset = false;
    const auto done = qScopeGuard([this] { m_tracing = m_reset = false; });

    struct Hop {
        bool answered = false;
        bool ended = false;  // this hop closes the route (destination or unreachable)
        bool known = false;
        std::uint32_t from = 0;
        int duration = 0;
    };
    const int limit = m_hopLimit;  // fixed for this trace even if changed meanwhile
    std::vector<Hop> hops(std::size_t(limit) + 1);  // by TTL; [0] unused
    std::map<std::uint64_t, int> ttlOf;
    int nextToSend = 1, nextToReport = 1, lastTtl = limit;
    const QDeadlineTimer deadline{std::chrono::seconds(m_timeout)};

    for (;;) {
        while (nextToSend <= lastTtl && nextToSend < nextToReport + kProbesAhead) {
            try {
                ttlOf[probe->send({*destination, nextToSend, kProbeData, m_hopTimeout * 1000})] =
                    nextToSend;
            } catch (const icmp::ProbeError& e) {
                throw EncTraceRoute(e.code, QString::fromStdString(e.what()));
            }
            ++nextToSend;
        }
        while (nextToReport <= lastTtl && hops[std::size_t(nextToReport)].known) {
            const Hop& hop = hops[std::size_t(nextToReport)];
            deliver(OnHop, "Hop", this, nextToReport - 1,
                    hop.answered ? hopText(hop.from) : QString(), hop.duration);
            if (m_reset || hop.ended) return;
            ++nextToReport;
        }
        if (nextToReport > lastTtl) return;
        if (deadline.hasExpired())
            throw EncTraceRoute(
                echo_status::kTimedOut,
                QStringLiteral("Trace route timed out after %1 seconds").arg(m_timeout));

        const int slice =
            int(std::min<qint64>(kSliceMs, std::max<qint64>(0, deadline.remainingTime())));
        for (const icmp::EchoResult& r : probe->wait(slice)) {
            const auto it = ttlOf.find(r.id);
            if (it == ttlOf.end()) continue;
            const int ttl = it->second;
            ttlOf.erase(it);
            if (ttl > lastTtl) continue;
            Hop& hop = hops[std::size_t(ttl)];
            hop.known = true;
            if (r.outcome == icmp::Outcome::TimedOut || r.outcome == icmp::Outcome::Failed)
                continue;
            hop.answered = true;
            hop.from = r.from;
            hop.duration = std::max(1, int(std::lround(r.rttMs)));
            if (r.outcome == icmp::Outcome::Reply || r.outcome == icmp::Outcome::Unreachable) {
                hop.ended = true;
                lastTtl = ttl;  // nothing beyond the end of the route is reported
            }
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (m_reset) return;
    }
}
