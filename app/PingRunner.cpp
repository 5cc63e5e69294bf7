#include "app/PingRunner.h"

#include "common/PadColumn.h"
#include "netcomp/icmp/TncPing.h"

namespace {
constexpr int kBurst = 5;
}  // namespace

PingRunner::PingRunner(TncPing& ping, LogSink log, std::function<Shown()> shown)
    : m_ping(ping), m_log(std::move(log)), m_shown(std::move(shown)) {}

void PingRunner::start(int packetSize, int timeout, const QString& sourceAddress) {
    m_ping.setPacketSize(packetSize);
    m_ping.setTimeout(timeout);
    m_ping.setLocalHost(sourceAddress.isEmpty() ? QString() : sourceAddress);
    attempts = replies = failures = 0;
}

void PingRunner::burst() {
    m_log(QString());
    m_log(QStringLiteral(">>>>> Start Ping."));
    for (int i = 0; i < kBurst; ++i) attempt(m_ping.LocalHost());
    writeSummary();
}

void PingRunner::attempt(const QString& source) {
    ++attempts;
    try {
        const Shown shown = m_shown();
        const QString head = QLatin1Char('[') + QString::number(attempts) +
                             QStringLiteral("] Sending: ") + QString::number(shown.packetSize) +
                             (shown.sourceAddress.isEmpty()
                                  ? QStringLiteral(" bytes  ---> ")
                                  : QStringLiteral(" bytes, From: ") + shown.sourceName +
                                        QStringLiteral(" [") + source + QStringLiteral("]  ---> "));
        m_log(PadColumn(head, QLatin1Char(' '), 30) + shown.host);
        m_ping.PingHost(m_shown().host);
        writeReply();
    } catch (const EncPing& e) {
        ++failures;
        writeFailure(e.message());
    }
}

void PingRunner::writeReply() {
    // The component measures milliseconds, so the time carries "ms".
    m_log(PadColumn(QStringLiteral("     >>> Success reply from: ") + m_ping.ResponseSource(),
                    QLatin1Char(' '), 40) +
          PadColumn(QStringLiteral("Time: ") + QString::number(m_ping.ResponseTime()) +
                        QStringLiteral("ms"),
                    QLatin1Char(' '), 15));
}

void PingRunner::writeFailure(const QString& message) {
    const QString target = m_ping.RemoteHost().isEmpty() ? m_shown().host : m_ping.RemoteHost();
    m_log(PadColumn(QStringLiteral("  !Error sending.  ") + target, QLatin1Char(' '), 30) +
          message);
}

void PingRunner::writeSummary() {
    m_log(QStringLiteral("************ Ping Count: %1 Success: %2 Failed: %3 ************")
              .arg(attempts)
              .arg(replies)
              .arg(failures));
}
