#include "netcomp/syslog/TncSysLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QTimer>

#include "common/IPv4Text.h"
#include "netcomp/syslog/SyslogSocket.h"
#include "netcomp/wire/SyslogFormat.h"
#include "netcomp/wire/SyslogParser.h"

namespace {

// Room for a few hundred milliseconds of a 160 000 messages/s flood while the thread is busy
// elsewhere (all of it for a privileged process; others get the system's cap).
constexpr int kReceiveBuffer = 32 * 1024 * 1024;

[[noreturn]] void Fail(int code, const QString& description) {
    throw EncSysLog(code, description);
}

void CheckPort(int port) {
    if (port < 1 || port > 65535)
        Fail(TncSysLog::ErrBadPort,
             QStringLiteral("Invalid port %1: a port is a number from 1 to 65535").arg(port));
}

// A numeric address: IPv6, or a plain dotted quad (the resolver would also take "1.2.3" or
// "010.1.1.1" and mean something else than the user typed).
bool IsNumericAddress(const QString& text) {
    if (text.contains(u':')) return QHostAddress(text).protocol() == QAbstractSocket::IPv6Protocol;
    return IsPlainDottedQuad(text.toStdString());
}

}  // namespace

TncSysLog::TncSysLog(QObject* parent) : QObject(parent), m_gather(new QTimer(this)) {
    m_gather->setSingleShot(true);
    m_gather->setInterval(kGatherMs);
    connect(m_gather, &QTimer::timeout, this, [this] {
        if (m_notifier) m_notifier->setEnabled(true);
    });
}

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
    auto socket = std::make_unique<SyslogSocket>();
    SyslogSocket::Failure failure = SyslogSocket::Failure::None;
    std::string reason;
    if (!socket->open(m_localPort, kReceiveBuffer, &failure, &reason)) {
        const QString head = QStringLiteral("Cannot listen on UDP port %1: ").arg(m_localPort);
        if (failure == SyslogSocket::Failure::InUse)
            Fail(ErrPortInUse, head + QStringLiteral("the port is already in use by another "
                                                     "program, such as another syslog server"));
        if (failure == SyslogSocket::Failure::NoPermission) {
            QString text = head + QStringLiteral(
                                      "permission denied; ports below 1024 need "
                                      "administrator rights");
            const std::string hint =
                SyslogSocket::lowPortHint(QCoreApplication::applicationFilePath().toStdString());
            if (!hint.empty())
                text += QStringLiteral(", or give this program that right alone: ") +
                        QString::fromStdString(hint);
            Fail(ErrNoPermission, text);
        }
        Fail(ErrCannotListen, head + QString::fromLocal8Bit(reason));
    }
    m_receiveBuffer = socket->receiveBufferSize();
    m_notifier = new QSocketNotifier(qintptr(socket->descriptor()), QSocketNotifier::Read, this);
    m_socket = std::move(socket);
    m_droppedAtClose = 0;
    ++m_opening;
    connect(m_notifier, &QSocketNotifier::activated, this, &TncSysLog::readSlice);
}

void TncSysLog::close() {
    if (!m_socket) return;
    ++m_opening;
    m_gather->stop();
    // Inside its own signal the notifier may not be deleted at once; it is disabled now.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    m_droppedAtClose = m_socket->dropped();
    m_socket.reset();  // frees the port now
}

long long TncSysLog::DroppedCount() const {
    return m_socket ? m_socket->dropped() : m_droppedAtClose;
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
    if (m_remoteHost.isEmpty())
        Fail(ErrBadRemoteHost, QStringLiteral("Cannot send: no remote host is set"));
    const QByteArray datagram = FormatSyslog(
        Facility, Severity, Message, QDateTime::currentDateTime(), QSysInfo::machineHostName(),
        QCoreApplication::applicationName(), QCoreApplication::applicationPid());
    std::string reason;
    if (!m_socket->sendTo(m_remoteHost.toStdString(), m_remotePort, datagram.constData(),
                          std::size_t(datagram.size()), &reason))
        Fail(ErrSendFailed, QStringLiteral("Cannot send to %1 port %2: %3")
                                .arg(m_remoteHost)
                                .arg(m_remotePort)
                                .arg(QString::fromLocal8Bit(reason)));
}

void TncSysLog::readSlice() {
    const quint64 opening = m_opening;
    QElapsedTimer spent;
    spent.start();
    int taken = 0;
    for (;;) {
        const int n = m_socket->receive();
        for (int i = 0; i < n; ++i) {
            const SyslogSocket::Datagram& d = m_socket->at(i);
            if (!d.sameAddress) m_lastSource = QString::fromLatin1(d.address);
            ReportDatagram(QByteArray(d.data, qsizetype(d.size)), m_lastSource, d.port);
            if (m_opening != opening) return;  // a handler closed (or reopened) the component
        }
        taken += n;
        if (n < SyslogSocket::kBatch) {  // the queue ran empty: let more gather first
            m_notifier->setEnabled(false);
            m_gather->start();
            return;
        }
        // More is waiting: the notifier fires again after the event loop's other work.
        if (taken >= kSliceDatagrams || spent.elapsed() >= kSliceMs) return;
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
