#pragma once

// The bookkeeping of one trace route, apart from any socket: which TTLs to probe (a window of
// probes ahead of the next hop to report), which hop may be reported next (strictly in route
// order, each once), where the route ends (the destination answered, or someone reported it
// unreachable), and the deadline of the whole trace. Time comes in from the caller.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "netcomp/icmp/IcmpProbe.h"

class TraceSequencer {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Hop {
        int ttl = 0;
        bool answered = false;  // false: nobody answered for this TTL
        icmp::Address from;     // who answered
        int durationMs = 0;     // at least 1 when answered, so an answer always shows a time
    };

    TraceSequencer(int hopLimit, int probesAhead, TimePoint deadline);

    // The TTL to probe next, or 0 while the window is full or every TTL of the route is out.
    int nextTtl() const;
    // The probe for nextTtl() has gone out under the prober's id.
    void sent(std::uint64_t id, int ttl);
    // A prober result; ids not sent here and TTLs beyond the end of the route are ignored.
    void ended(const icmp::EchoResult& result);

    // The next hop in route order once its outcome is in; each hop is given out once.
    std::optional<Hop> takeHop();
    // Every hop up to the end of the route (or the hop limit) has been given out.
    bool finished() const { return m_nextToReport > m_lastTtl; }

    bool expired(TimePoint now) const { return now >= m_deadline; }
    // How long to wait for results now: at most sliceMs, never past the deadline.
    int waitMs(TimePoint now, int sliceMs) const;

  private:
    struct Outcome {
        bool known = false;
        Hop hop;
    };
    int m_probesAhead;
    int m_lastTtl;  // the hop limit, then the TTL at which the route ended
    int m_nextToSend = 1;
    int m_nextToReport = 1;
    TimePoint m_deadline;
    std::vector<Outcome> m_hops;  // by TTL; [0] unused
    std::map<std::uint64_t, int> m_ttlOf;
};
