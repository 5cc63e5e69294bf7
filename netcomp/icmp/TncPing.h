#pragma once

#include <QString>
#include <functional>

#include "netcomp/NetComponent.h"
#include "netcomp/icmp/IcmpProbe.h"

// ICMP echo to one host at a time. PingHost blocks until the matching reply (identifier and
// sequence checked) or the time-out; OnResponse is raised during the call for the reply. Every
// failure raises EncPing: time-out (11010), an ICMP error about our echo (unreachable 11002..11005,
// TTL expired 11013, naming the router that reported it), name resolution (11001), or no
// permission to send echoes (the OS error number; the text says how to allow it).
// An exception escaping OnResponse becomes the component's error (OnError); PingHost still
// returns normally, since the reply was received.
// Methods are virtual so windows can be tested with scripted pings.
class TncPing : public TncComponent {
  public:
    // RequestId counts the echoes of this component; ResponseStatus is "Success".
    std::function<void(TncPing* sender, int RequestId, const QString& ResponseSource,
                       const QString& ResponseStatus, int ResponseTime)>
        OnResponse;

    virtual int PacketSize() const { return m_packetSize; }
    // Bytes of data in each echo, 32..5000; other values raise EncPing.
    virtual void setPacketSize(int bytes);
    virtual int Timeout() const { return m_timeout; }
    // Seconds to wait for a reply, 1..600; other values raise EncPing.
    virtual void setTimeout(int seconds);
    virtual QString LocalHost() const { return m_localHost; }
    // Source address: empty (the system chooses) or a local IPv4 address; else EncPing.
    virtual void setLocalHost(const QString& address);

    // The address last pinged (after resolution), or the host text when it did not resolve.
    virtual QString RemoteHost() const { return m_remoteHost; }
    // Of the last reply: who answered, and the round trip in whole milliseconds (rounded).
    virtual QString ResponseSource() const { return m_responseSource; }
    virtual int ResponseTime() const { return m_responseTime; }

    virtual void PingHost(const QString& host);

    // Which socket the Linux backend uses (tests pin one; the default picks what is allowed).
    void setSocketKind(icmp::SocketKind kind) { m_kind = kind; }
    // Where probers come from; empty (the default): the system's ICMP prober.
    void setProbeOpener(icmp::ProbeOpener opener) { m_openProbe = std::move(opener); }

  private:
    int m_packetSize = 64;
    int m_timeout = 60;
    QString m_localHost;
    QString m_remoteHost;
    QString m_responseSource;
    int m_responseTime = 0;
    int m_requestId = 0;
    icmp::SocketKind m_kind = icmp::SocketKind::Automatic;
    icmp::ProbeOpener m_openProbe;
};
