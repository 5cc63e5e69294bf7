#include "netcomp/icmp/TraceSequencer.h"

#include <algorithm>
#include <cmath>

TraceSequencer::TraceSequencer(int hopLimit, int probesAhead, TimePoint deadline)
    : m_probesAhead(std::max(1, probesAhead)),
      m_lastTtl(std::max(0, hopLimit)),
      m_deadline(deadline),
      m_hops(std::size_t(m_lastTtl) + 1) {}

int TraceSequencer::nextTtl() const {
    if (m_nextToSend > m_lastTtl || m_nextToSend >= m_nextToReport + m_probesAhead) return 0;
    return m_nextToSend;
}

void TraceSequencer::sent(std::uint64_t id, int ttl) {
    m_ttlOf[id] = ttl;
    m_nextToSend = std::max(m_nextToSend, ttl + 1);
}

void TraceSequencer::ended(const icmp::EchoResult& r) {
    const auto it = m_ttlOf.find(r.id);
    if (it == m_ttlOf.end()) return;
    const int ttl = it->second;
    m_ttlOf.erase(it);
    if (ttl > m_lastTtl) return;
    Outcome& o = m_hops[std::size_t(ttl)];
    o.known = true;
    o.hop.ttl = ttl;
    if (r.outcome == icmp::Outcome::TimedOut || r.outcome == icmp::Outcome::Failed) return;
    o.hop.answered = true;
    o.hop.from = r.from;
    o.hop.durationMs = std::max(1, int(std::lround(r.rttMs)));
    if (r.outcome == icmp::Outcome::Reply || r.outcome == icmp::Outcome::Unreachable)
        m_lastTtl = ttl;  // nothing beyond the end of the route is reported
}

std::optional<TraceSequencer::Hop> TraceSequencer::takeHop() {
    if (finished() || !m_hops[std::size_t(m_nextToReport)].known) return std::nullopt;
    return m_hops[std::size_t(m_nextToReport++)].hop;
}

int TraceSequencer::waitMs(TimePoint now, int sliceMs) const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - now).count();
    return int(std::clamp<long long>(left, 0, sliceMs));
}
