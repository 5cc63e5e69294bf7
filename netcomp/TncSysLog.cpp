#include "TncSysLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHostAddress>
#include <QSysInfo>
#include <QUdpSocket>

#include "SocketBuffer.h"
#include "SyslogFormat.h"
#include "SyslogParser.h"

namespace {

// Large enough for a burst of several thousand datagrams while the window is busy.
constexpr int kReceiveBuffer = 8 * 1024 * 1024;
constexpr qsizetype kLargestDatagram = 65536;

[[noreturn]] void Fail(int code, const QString& description) {
    throw EncSysLog(code, description);
}

void CheckPort(int port) {
    if (port < 1 || port > 65535)
        Fail(TncSysLog::ErrBadPort,
             QStringLiteral("Invalid port %1: a port is a number from 1 to 65535").arg(port));
}

QString PlainAddress(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);  // also unwraps ::ffff:a.b.c.d
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

// A numeric address: IPv6, or IPv4 as exactly four decimal parts (the resolver would also take
// "1.2.3" or "010.1.1.1" and mean something else than the user typed).
bool IsNumericAddress(const QString& text) {
    if (text.contains(u':')) return QHostAddress(text).protocol() == QAbstractSocket::IPv6Protocol;
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4) return false;
    for (const QString& p : parts) {
        bool ok = false;
        const int v = p.toInt(&ok);
        if (p.isEmpty() || p.size() > 3 || !ok || v > 255 || !p[0].isDigit() ||
            (p.size() > 1 && p[0] == u'0'))
            return false;
    }
    return true;
}

}  // namespace

TncSysLog::TncSysLog(QObject* parent) : QObject(parent) {}

TncSysLog::~TncSysLog() {
    close();
}

bool TncSysLog::Active() const {
    return m_socket != nullptr;
}

void TncSysLog::SetActive(bool active) {
    if (active == Active()) return;
    if (!active) {
        close();
        return;
    }
    auto* socket = new QUdpSocket(this);
    // Not shared: a second listener on the port must be refused, not split the traffic.
    if (!socket->bind(QHostAddress::Any, quint16(m_localPort), QAbstractSocket::DontShareAddress)) {
        const auto error = socket->error();
        const QString reason = socket->errorString();
        delete socket;
        const QString head = QStringLiteral("Cannot listen on UDP port %1: ").arg(m_localPort);
        if (error == QAbstractSocket::AddressInUseError)
            Fail(ErrPortInUse, head + QStringLiteral("the port is already in use by another "
                                                     "program, such as another syslog server"));
        if (error == QAbstractSocket::SocketAccessError)
            Fail(ErrNoPermission,
                 head + QStringLiteral("permission denied; ports below 1024 need administrator "
                                       "rights"));
        Fail(ErrCannotListen, head + reason);
    }
    m_receiveBuffer = EnlargeReceiveBuffer(socket->socketDescriptor(), kReceiveBuffer);
    m_socket = socket;
    ++m_opening;
    connect(socket, &QUdpSocket::readyRead, this, &TncSysLog::drain);
}

void TncSysLog::close() {
    if (!m_socket) return;
    QUdpSocket* socket = m_socket;
    m_socket = nullptr;
    ++m_opening;
    socket->disconnect(this);
    socket->close();  // frees the port now; the object may be inside its own signal
    socket->deleteLater();
}

void TncSysLog::SetLocalPort(int port) {
    CheckPort(port);
    m_localPort = port;
}

void TncSysLog::SetRemoteHost(const QString& host) {
    if (!IsNumericAddress(host.trimmed()))
        Fail(
            ErrBadRemoteHost,
            QStringLiteral("Invalid remote host \"%1\": a numeric IP address is needed").arg(host));
    m_remoteHost = host.trimmed();
}

void TncSysLog::SetRemotePort(int port) {
    CheckPort(port);
    m_remotePort = port;
}

void TncSysLog::SendPacket(int Facility, int Severity, const QString& Message) {
    if (!m_socket)
        Fail(ErrNotActive, QStringLiteral("Cannot send: the syslog component is not active"));
    if (Facility < 0 || Facility > 23 || Severity < 0 || Severity > 7)
        Fail(ErrBadCode, QStringLiteral("Invalid facility %1 or severity %2: facility is 0 to 23, "
                                        "severity 0 to 7")
                             .arg(Facility)
                             .arg(Severity));
    const QHostAddress to(m_remoteHost);
    if (to.isNull()) Fail(ErrBadRemoteHost, QStringLiteral("Cannot send: no remote host is set"));
    const QByteArray datagram = FormatSyslog(
        Facility, Severity, Message, QDateTime::currentDateTime(), QSysInfo::machineHostName(),
        QCoreApplication::applicationName(), QCoreApplication::applicationPid());
    if (m_socket->writeDatagram(datagram, to, quint16(m_remotePort)) != datagram.size())
        Fail(ErrSendFailed, QStringLiteral("Cannot send to %1 port %2: %3")
                                .arg(m_remoteHost)
                                .arg(m_remotePort)
                                .arg(m_socket->errorString()));
}

void TncSysLog::drain() {
    // Every pending datagram now, not one per signal: bursts must not pile up in the kernel.
    const quint64 opening = m_opening;
    // Into a buffer that holds any datagram, so no size query is needed for each one.
    if (m_buffer.size() < kLargestDatagram) m_buffer.resize(kLargestDatagram);
    while (m_socket && m_opening == opening && m_socket->hasPendingDatagrams()) {
        QHostAddress from;
        quint16 port = 0;
        const qint64 n = m_socket->readDatagram(m_buffer.data(), m_buffer.size(), &from, &port);
        if (n < 0) break;
        ReportDatagram(QByteArray(m_buffer.constData(), n), PlainAddress(from), port);
    }
}

void TncSysLog::ReportDatagram(const QByteArray& datagram, const QString& sourceAddress,
                               int sourcePort) {
    if (!OnPacketIn) return;
    const SyslogMessage m = ParseSyslog(datagram);
    deliver(OnPacketIn, "PacketIn", this, m.FacilityCode, m.Facility, m.SeverityCode, m.Severity,
            m.Timestamp, m.Hostname, m.Message, m.Conforms, QString::fromUtf8(datagram), datagram,
            sourceAddress, sourcePort);
}
