#include "netcomp/tcp/TncTelnet.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

namespace {

// The socket may be dropped from inside one of its own signals: let Qt delete it later.
void DropSocket(QTcpSocket* socket) {
    if (!socket) return;
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    socket->abort();
    socket->deleteLater();
}

int StatusOf(QAbstractSocket::SocketError e) {
    switch (e) {
        case QAbstractSocket::ConnectionRefusedError:
            return 10061;
        case QAbstractSocket::SocketTimeoutError:
            return 10060;
        case QAbstractSocket::HostNotFoundError:
            return 11001;
        case QAbstractSocket::RemoteHostClosedError:
            return 10054;
        case QAbstractSocket::NetworkError:
            return 10051;
        default:
            return 10050;
    }
}

// " in 0.4 ms": how long the attempt took, to a tenth of a millisecond.
QString Took(const QElapsedTimer& t) {
    return QStringLiteral(" in %1 ms").arg(double(t.nsecsElapsed()) / 1e6, 0, 'f', 1);
}

// host:port, an IPv6 address in brackets.
QString Endpoint(const QHostAddress& a, quint16 port) {
    const QString host = a.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + a.toString() + QLatin1Char(']')
                             : a.toString();
    return host + QLatin1Char(':') + QString::number(port);
}

}  // namespace

TncTelnet::TncTelnet() : m_socket(nullptr, DropSocket) {}

TncTelnet::~TncTelnet() = default;

void TncTelnet::setRemotePort(int port) {
    if (port < 1 || port > 65535)
        throw EncTelnet(10049, QStringLiteral("Port %1 is outside 1..65535").arg(port));
    m_remotePort = port;
}

void TncTelnet::setTimeout(int seconds) {
    if (seconds < 0 || seconds > 600)
        throw EncTelnet(10022,
                        QStringLiteral("Time-out %1 is outside 0..600 seconds").arg(seconds));
    m_timeout = seconds;
}

bool TncTelnet::Connected() const {
    return m_connected;
}

void TncTelnet::setConnected(bool on) {
    if (!on) {
        closeSocket(m_connected, QStringLiteral("Connection closed"));
        return;
    }
    if (m_socket) return;  // an attempt runs or a connection stands
    if (m_remoteHost.isEmpty()) throw EncTelnet(11001, QStringLiteral("No remote host given"));

    m_socket.reset(new QTcpSocket);
    m_attemptPending = true;
    QTcpSocket* s = m_socket.get();
    // The connect time runs from the end of the name lookup, so it is the connection's alone.
    auto took = std::make_shared<QElapsedTimer>();
    took->start();
    QObject::connect(s, &QTcpSocket::hostFound, s, [took] { took->start(); });
    QObject::connect(s, &QTcpSocket::connected, s, [this, s, took] {
        m_connected = true;
        attemptEnded(0, QStringLiteral("Connected to ") +
                            Endpoint(s->peerAddress(), s->peerPort()) + Took(*took));
    });
    QObject::connect(s, &QTcpSocket::errorOccurred, s,
                     [this, s, took](QAbstractSocket::SocketError e) {
                         if (m_attemptPending) {
                             QString text = s->errorString();
                             if (e != QAbstractSocket::HostNotFoundError) text += Took(*took);
                             m_socket.reset();
                             attemptEnded(StatusOf(e), text);
                         }
                     });
    QObject::connect(s, &QTcpSocket::disconnected, s, [this] {
        if (m_connected) closeSocket(true, QStringLiteral("Connection closed by the remote host"));
    });
    QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });  // discarded
    s->connectToHost(m_remoteHost, quint16(m_remotePort));

    if (m_timeout > 0) {
        // Sleeps in the event loop until the outcome, a close or the time-out; a handler that
        // starts another attempt meanwhile waits in a loop of its own.
        QEventLoop wait;
        QTimer::singleShot(std::chrono::seconds(m_timeout), &wait, &QEventLoop::quit);
        QEventLoop* const outer = std::exchange(m_wait, &wait);
        if (m_attemptPending) wait.exec();
        m_wait = outer;
    }
}

// The attempt is over (outcome, close or drop): a write of true waiting for it returns.
void TncTelnet::endAttempt() {
    m_attemptPending = false;
    if (m_wait) m_wait->quit();
}

void TncTelnet::Disconnect() {
    if (m_connected) closeSocket(true, QStringLiteral("Connection closed"));
}

void TncTelnet::attemptEnded(int code, const QString& description) {
    endAttempt();
    deliver(OnConnected, "Connected", this, code, description);
}

void TncTelnet::closeSocket(bool report, const QString& description) {
    m_socket.reset();
    endAttempt();
    const bool wasConnected = m_connected;
    m_connected = false;
    if (report && wasConnected) deliver(OnDisconnected, "Disconnected", this, 0, description);
}
