#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "netcomp/NetComponent.h"

class QEventLoop;
class QTcpSocket;

// A plain TCP client: connects to RemoteHost:RemotePort, sends nothing and discards whatever
// arrives. The outcome of an attempt comes as OnConnected (StatusCode 0, or the failure's code
// and Qt's description of it, followed by how long the attempt took after the name lookup:
// "Connected to 127.0.0.1:18080 in 0.4 ms", "Connection refused in 0.1 ms"; an IPv6 peer is
// written "[::1]:18080"), the end of an established connection as OnDisconnected; both
// are raised while the program processes its events, or from within Disconnect and a write of
// false to Connected.
// Failure codes follow the Windows socket numbers technicians know: 10061 refused, 10060 timed
// out, 10065 host unreachable, 10051 network unreachable, 11001 host not found, 10054 reset,
// 10050 any other.
// Methods are virtual so windows can be tested with scripted connections.
class TncTelnet : public TncComponent {
  public:
    TncTelnet();
    ~TncTelnet() override;

    std::function<void(TncTelnet* sender, int StatusCode, const QString& Description)> OnConnected;
    std::function<void(TncTelnet* sender, int StatusCode, const QString& Description)>
        OnDisconnected;

    virtual QString RemoteHost() const { return m_remoteHost; }
    virtual void setRemoteHost(const QString& host) { m_remoteHost = host; }
    virtual int RemotePort() const { return m_remotePort; }
    virtual void setRemotePort(int port);  // 1..65535, else EncTelnet

    // Seconds a write of true waits for the outcome (processing events); 0 returns at once.
    virtual int Timeout() const { return m_timeout; }
    virtual void setTimeout(int seconds);  // 0..600

    // True while a connection is established (from just before OnConnected with status 0).
    virtual bool Connected() const;
    // true: starts an attempt (nothing happens while one runs or a connection stands);
    // false: closes the connection or drops the attempt, harmless when there is none.
    virtual void setConnected(bool on);
    // Closes the established connection; OnDisconnected follows at once.
    virtual void Disconnect();

  private:
    void attemptEnded(int code, const QString& description);
    void closeSocket(bool report, const QString& description);
    void endAttempt();

    QString m_remoteHost;
    int m_remotePort = 23;
    int m_timeout = 0;
    std::unique_ptr<QTcpSocket, void (*)(QTcpSocket*)> m_socket;
    bool m_connected = false;
    bool m_attemptPending = false;
    QEventLoop* m_wait = nullptr;  // the loop a write of true waits in, while it waits
};
