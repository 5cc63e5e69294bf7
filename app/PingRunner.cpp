#include "app/PingRunner.h"

#include <QScopeGuard>

#include "common/PadColumn.h"
#include "netcomp/icmp/TncPing.h"
#include "ui/WindowHelpers.h"

namespace {
constexpr int kBurst = 5;
constexpr int kLoopIntervalMs = 2000;
}  // namespace

PingRunner::PingRunner(TncPing& ping, LogSink log, std::function<Shown()> shown, QObject* parent)
    : QObject(parent), m_ping(ping), m_log(std::move(log)), m_shown(std::move(shown)) {
    m_ping.setPacketSize(32);
    m_ping.OnResponse = [this](TncPing*, int, const QString&, const QString&, int) {
        ncPing1Response();
    };
    tmLooping.setInterval(kLoopIntervalMs);
    ConnectHandler(&tmLooping, &QTimer::timeout, this, &PingRunner::tmLoopingTimer);
}

void PingRunner::start(int packetSize, int timeout, const QString& sourceAddress, bool continuous) {
    m_ping.setPacketSize(packetSize);
    m_ping.setTimeout(timeout);
    m_ping.setLocalHost(sourceAddress);
    iCountPing = iPingSuccess = iPingFail = 0;
    emit busyChanged(true);
    const auto idle = qScopeGuard([this] { emit busyChanged(false); });
    if (continuous) {
        IsLoopPing = true;
        tmLooping.start();  // the first attempt follows at the first tick
        return;
    }
    m_log(QString());
    m_log(QStringLiteral(">>>>> Start Ping."));
    for (int i = 0; i < kBurst; ++i) attempt(true);
    writeSummary();
}

void PingRunner::tmLoopingTimer() {
    if (IsLoopPing) {
        emit busyChanged(true);
        attempt(false);
        return;
    }
    tmLooping.stop();
    emit busyChanged(false);
    writeSummary();
}

void PingRunner::attempt(bool burst) {
    ++iCountPing;
    const Shown shown = m_shown();
    // A burst names the source the component reads back, a tick the adapter shown now.
    const QString source = burst ? m_ping.LocalHost() : shown.sourceAddress;
    try {
        const QString head = QLatin1Char('[') + QString::number(iCountPing) +
                             QStringLiteral("] Sending: ") + QString::number(shown.packetSize) +
                             (shown.sourceAddress.isEmpty()
                                  ? QStringLiteral(" bytes  ---> ")
                                  : QStringLiteral(" bytes, From: ") + shown.sourceName +
                                        QStringLiteral(" [") + source + QStringLiteral("]  ---> "));
        m_log(PadColumn(head, QLatin1Char(' '), 30) + shown.host);
        m_ping.PingHost(shown.host);
        AddPingReply();
    } catch (const EncPing& e) {
        ++iPingFail;
        AddPingError(e.message(), shown.host);
    }
}

void PingRunner::ncPing1Response() {
    ++iPingSuccess;
}

void PingRunner::AddPingReply() {
    // The component measures milliseconds, so the time carries "ms".
    m_log(PadColumn(QStringLiteral("     >>> Success reply from: ") + m_ping.ResponseSource(),
                    QLatin1Char(' '), 40) +
          PadColumn(QStringLiteral("Time: ") + QString::number(m_ping.ResponseTime()) +
                        QStringLiteral("ms"),
                    QLatin1Char(' '), 15));
}

void PingRunner::AddPingError(const QString& message, const QString& shownHost) {
    const QString target = m_ping.RemoteHost().isEmpty() ? shownHost : m_ping.RemoteHost();
    m_log(PadColumn(QStringLiteral("  !Error sending.  ") + target, QLatin1Char(' '), 30) +
          message);
}

void PingRunner::writeSummary() {
    m_log(QStringLiteral("************ Ping Count: %1 Success: %2 Failed: %3 ************")
              .arg(iCountPing)
              .arg(iPingSuccess)
              .arg(iPingFail));
}
