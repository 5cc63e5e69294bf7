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
    : m_telnet(telnet), m_log(std::move(log)) {}

void PortTestRunner::run(const QString& host, int port) {
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

void PortTestRunner::connected(int statusCode, const QString& description) {
    if (statusCode != 0) {
        m_log(QStringLiteral("Telnet Connection failed: ") + description);
        return;
    }
    m_log(QStringLiteral("Telnet Connection : ") + description);
    m_telnet.Disconnect();
}

void PortTestRunner::disconnected(const QString& description) {
    m_log(QStringLiteral("Telnet Disconnected: ") + description);
}
