#include "netcomp/icmp/TncTraceRoute.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QScopeGuard>

#include "netcomp/icmp/EchoStatus.h"
#include "netcomp/icmp/HostAddress.h"
#include "netcomp/icmp/TraceSequencer.h"

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

QString TncTraceRoute::hopText(const icmp::Address& address) const {
    const QString text = AddressText(address);
    if (!m_resolveNames) return text;
    const QString name = QHostInfo::fromName(text).hostName();
    return name.isEmpty() || name == text ? text : name + QStringLiteral(" [") + text + ']';
}

std::chrono::steady_clock::time_point TncTraceRoute::now() const {
    return m_now ? m_now() : std::chrono::steady_clock::now();
}

void TncTraceRoute::TraceTo(const QString& host) {
    if (m_tracing)
        throw EncTraceRoute(echo_status::kGeneralFailure,
                            QStringLiteral("A trace route is already running"));
    QString error;
    const auto destination = ResolveHost(host, !m_localHost.isEmpty(), error);
    if (!destination) throw EncTraceRoute(echo_status::kHostNotFound, error);
    const icmp::Address source = SourceFor(m_localHost, *destination);

    std::unique_ptr<icmp::IcmpProbe> probe;
    try {
        probe = m_openProbe ? m_openProbe(source, m_kind) : icmp::OpenIcmpProbe(source, m_kind);
    } catch (const icmp::ProbeError& e) {
        throw EncTraceRoute(e.code, QString::fromStdString(e.what()));
    }

    m_tracing = true;
    m_reset = false;
    const auto done = qScopeGuard([this] { m_tracing = m_reset = false; });

    // The hop limit and time-outs are fixed for this trace even if changed meanwhile.
    TraceSequencer route(m_hopLimit, kProbesAhead, now() + std::chrono::seconds(m_timeout));
    const int hopTimeoutMs = m_hopTimeout * 1000;
    for (;;) {
        while (const int ttl = route.nextTtl()) {
            try {
                route.sent(probe->send({*destination, ttl, kProbeData, hopTimeoutMs}), ttl);
            } catch (const icmp::ProbeError& e) {
                throw EncTraceRoute(e.code, QString::fromStdString(e.what()));
            }
        }
        while (const auto hop = route.takeHop()) {
            deliver(OnHop, "Hop", this, hop->ttl - 1,
                    hop->answered ? hopText(hop->from) : QString(), hop->durationMs);
            if (m_reset) return;
        }
        if (route.finished()) return;
        if (route.expired(now()))
            throw EncTraceRoute(
                echo_status::kTimedOut,
                QStringLiteral("Trace route timed out after %1 seconds").arg(m_timeout));

        for (const icmp::EchoResult& r : probe->wait(route.waitMs(now(), kSliceMs))) route.ended(r);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (m_reset) return;
    }
}
