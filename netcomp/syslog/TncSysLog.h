#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "netcomp/NetComponent.h"

class QSocketNotifier;
class QTimer;
class SyslogSocket;

// Syslog over UDP. Active true listens on LocalPort on every local address (IPv4 and IPv6) and
// reports each datagram through OnPacketIn on the thread that owns the component (the
// user-interface thread), in arrival order; false closes. SendPacket sends from the same socket,
// so it needs the component open. The accessors are virtual so windows can be tested with a
// scripted fake.
//
// Reading never holds the thread for long: each pass of the event loop takes at most a slice
// (kSliceDatagrams datagrams or kSliceMs), so the user interface answers under any load; what
// the thread cannot take the system drops, and DroppedCount says how many.
class TncSysLog : public QObject, public TncComponent {
    Q_OBJECT
  public:
    // Error numbers carried in EncSysLog::Code.
    enum Error {
        ErrPortInUse = 301,
        ErrNoPermission = 302,
        ErrCannotListen = 303,
        ErrNotActive = 310,
        ErrBadRemoteHost = 311,
        ErrBadPort = 312,
        ErrBadCode = 313,
        ErrSendFailed = 314,
    };

    explicit TncSysLog(QObject* parent = nullptr);
    ~TncSysLog() override;

    virtual bool Active() const;
    virtual void SetActive(bool active);
    // Takes effect at the next opening.
    virtual int LocalPort() const { return m_localPort; }
    virtual void SetLocalPort(int port);
    virtual QString RemoteHost() const { return m_remoteHost; }
    virtual void SetRemoteHost(const QString& host);  // a numeric IPv4 or IPv6 address
    virtual int RemotePort() const { return m_remotePort; }
    virtual void SetRemotePort(int port);
    // Facility 0..23, severity 0..7; the text goes out as UTF-8 (format in SyslogFormat.h).
    virtual void SendPacket(int Facility, int Severity, const QString& Message);

    std::function<void(TncSysLog* sender, int FacilityCode, const QString& Facility,
                       int SeverityCode, const QString& Severity, const QString& Timestamp,
                       const QString& Hostname, const QString& Message, bool Conforms,
                       const QString& Packet, const QByteArray& PacketB,
                       const QString& SourceAddress, int SourcePort)>
        OnPacketIn;

    // Receive buffer the system granted at the last opening (bytes), for diagnostics.
    int ReceiveBufferSize() const { return m_receiveBuffer; }

    // Datagrams the system dropped because they came faster than they were read, since the last
    // opening (after closing: the count it ended with); -1 where the platform does not count.
    virtual long long DroppedCount() const;

    static constexpr int kSliceDatagrams = 1024;
    static constexpr int kSliceMs = 8;
    // After the queue ran empty, reading waits this long for more, so a steady flow costs one
    // wake-up per few milliseconds instead of one per datagram.
    static constexpr int kGatherMs = 2;

  protected:
    // Hands one datagram to OnPacketIn; tests of windows never need a socket for this.
    void ReportDatagram(const QByteArray& datagram, const QString& sourceAddress, int sourcePort);

  private:
    void readSlice();
    void close();

    std::unique_ptr<SyslogSocket> m_socket;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_gather;
    quint64 m_opening = 0;  // changes at every open and close, so a slice notices either
    int m_localPort = 514;
    QString m_remoteHost;
    int m_remotePort = 514;
    int m_receiveBuffer = 0;
    long long m_droppedAtClose = 0;
    QString m_lastSource;
};
