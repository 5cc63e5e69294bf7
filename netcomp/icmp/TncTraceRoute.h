#pragma once

#include <QString>
#include <chrono>
#include <functional>

#include "netcomp/NetComponent.h"
#include "netcomp/icmp/IcmpProbe.h"

// Traces the route to a host with ICMP echo probes of rising TTL.
//
// Probes run ahead: up to 16 TTLs are in flight at once, while OnHop still reports the hops
// strictly in route order, once each. So silent hops in a row cost one HopTimeout together, not
// one each: a trace ends about one hop time-out after the last answer. HopNumber counts from 0.
// A hop that did not answer has an empty HostAddress and Duration 0; an answered hop has a
// Duration of at least 1 ms, so a sub-millisecond answer never reads as "no time". The trace ends
// when the destination answers, when a router or the destination reports it unreachable (that
// hop is the last one reported), or after HopLimit hops.
//
// While TraceTo blocks it processes the program's events in short slices, so other handlers run
// nested inside it.
// - Reset (from OnHop or any handler run during the trace): no further hop is reported, probes in
//   flight are dropped, and TraceTo returns normally. Outside a trace it does nothing.
// - Timeout expiry (seconds for the whole trace): TraceTo raises EncTraceRoute 11010 "Trace route
//   timed out after N seconds"; the hops reported so far stay reported.
// - An exception escaping OnHop becomes the component's error (OnError); the trace goes on.
// - Name resolution, a refused socket, an unsendable probe, or a TraceTo while this component
//   is already tracing raise EncTraceRoute.
class TncTraceRoute : public TncComponent {
  public:
    std::function<void(TncTraceRoute* sender, int HopNumber, const QString& HostAddress,
                       int Duration)>
        OnHop;

    virtual int HopLimit() const { return m_hopLimit; }
    virtual void setHopLimit(int hops);  // 1..255
    virtual int HopTimeout() const { return m_hopTimeout; }
    virtual void setHopTimeout(int seconds);  // 1..600
    virtual int Timeout() const { return m_timeout; }
    virtual void setTimeout(int seconds);  // 1..3600
    virtual bool ResolveNames() const { return m_resolveNames; }
    // When true a hop's HostAddress is "name [address]" where a reverse lookup finds a name.
    virtual void setResolveNames(bool on) { m_resolveNames = on; }
    virtual QString LocalHost() const { return m_localHost; }
    // Source address: empty (the system chooses) or a local IPv4 address; else EncTraceRoute.
    virtual void setLocalHost(const QString& address);

    virtual void TraceTo(const QString& host);
    virtual void Reset();

    // Which socket the Linux backend uses (tests pin one; the default picks what is allowed).
    void setSocketKind(icmp::SocketKind kind) { m_kind = kind; }
    // Where probers come from; empty (the default): the system's ICMP prober.
    void setProbeOpener(icmp::ProbeOpener opener) { m_openProbe = std::move(opener); }
    // The clock of the trace's deadline; empty (the default): std::chrono::steady_clock.
    using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;
    void setSteadyClock(SteadyNow now) { m_now = std::move(now); }

  private:
    QString hopText(const icmp::Address& address) const;
    std::chrono::steady_clock::time_point now() const;

    int m_hopLimit = 64;
    int m_hopTimeout = 10;
    int m_timeout = 60;
    bool m_resolveNames = false;
    QString m_localHost;
    bool m_tracing = false;
    bool m_reset = false;
    icmp::SocketKind m_kind = icmp::SocketKind::Automatic;
    icmp::ProbeOpener m_openProbe;
    SteadyNow m_now;
};
