#include "app/PortTestRunner.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdint>

#include "common/Clock.h"
#include "netcomp/tcp/TncTelnet.h"

namespace {
constexpr std::uint32_t kWaitMs = 5000;
constexpr int kWakeMs = 10;  // the wait rereads the tick counter at least this often
}  // namespace

PortTestRunner::PortTestRunner(TncTelnet& telnet, LogSink log)
    : m_telnet(telnet), m_log(std::move(log)) {
    m_telnet.OnConnected = [this](TncTelnet*, int StatusCode, const QString& Description) {
        Telnet1Connected(StatusCode, Description);
    };
    m_telnet.OnDisconnected = [this](TncTelnet*, int StatusCode, const QString& Description) {
        Telnet1Disconnected(StatusCode, Description);
    };
}

PortTestRunner::Missing PortTestRunner::run(const QString& host, int port) {
    if (host.isEmpty()) return Missing::Host;
    if (port <= 0) return Missing::Port;
    try {
        m_telnet.setConnected(false);  // closes what an earlier test left open
        m_telnet.setRemoteHost(host);
        m_telnet.setRemotePort(port);
        m_log(QString());
        m_log(QStringLiteral(">>>>> Start Telnet."));
        m_log(QStringLiteral("Connecting to ") + m_telnet.RemoteHost() + QStringLiteral(" Port: ") +
              QString::number(port) + QStringLiteral("..."));
        m_telnet.setConnected(true);
        waitForOutcome();
        if (!m_telnet.Connected()) m_log(QStringLiteral("Telnet Connection closed successfully."));
    } catch (const EncTelnet& e) {
        m_log(QStringLiteral("!Telnet Error: ") + e.message());
    }
    return Missing::Nothing;
}

void PortTestRunner::waitForOutcome() {
    // Unsigned difference of two readings: right also when the counter wraps in between.
    const std::uint32_t start = SystemClock().tickCount();
    QTimer wake;  // lets the event wait below return when nothing else happens
    wake.start(kWakeMs);
    while (std::uint32_t(SystemClock().tickCount() - start) < kWaitMs) {
        if (m_telnet.Connected()) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void PortTestRunner::Telnet1Connected(int StatusCode, const QString& Description) {
    if (StatusCode != 0) {
        m_log(QStringLiteral("Telnet Connection failed: ") + Description);
        return;
    }
    m_log(QStringLiteral("Telnet Connection : ") + Description);
    m_telnet.Disconnect();
}

void PortTestRunner::Telnet1Disconnected(int /*StatusCode*/, const QString& Description) {
    m_log(QStringLiteral("Telnet Disconnected: ") + Description);
}
