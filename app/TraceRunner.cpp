#include "app/TraceRunner.h"

#include <QScopeGuard>

#include "common/PadColumn.h"
#include "netcomp/icmp/TncTraceRoute.h"

TraceRunner::TraceRunner(TncTraceRoute& trace, LogSink log)
    : m_trace(trace), m_log(std::move(log)) {
    // The component's event delivery takes what escapes the handler.
    m_trace.OnHop = [this](TncTraceRoute*, int HopNumber, const QString& HostAddress,
                           int Duration) { ncTraceRoute1Hop(HopNumber, HostAddress, Duration); };
}

void TraceRunner::run(const QString& host, const std::optional<Source>& source) {
    IsRunTrace = true;
    const auto idle = qScopeGuard([this] { IsRunTrace = false; });
    m_log(QString());
    m_log(QStringLiteral(">>>>> Start Trace Route. [No Resolve Name.]"));
    if (source) {
        m_trace.setLocalHost(source->address);
        m_log(QStringLiteral("Trace Route From: ") + source->name + QStringLiteral("   --->   ") +
              host);
    }
    m_trace.TraceTo(host);
    m_log(QStringLiteral("********** Trace Route Complete. **********"));
}

void TraceRunner::ncTraceRoute1Hop(int HopNumber, const QString& HostAddress, int Duration) {
    const QString address = HostAddress.isEmpty() ? QStringLiteral("***") : HostAddress;
    const QString time = Duration > 0 ? QStringLiteral("   Time: ") + QString::number(Duration) +
                                            QStringLiteral("ms.")
                                      : QString();
    m_log(PadColumn(QStringLiteral("[Hop ") + QString::number(HopNumber + 1) +
                        QStringLiteral("] ---> ") + address,
                    QLatin1Char(' '), 40) +
          time);
    if (!IsRunTrace) {
        m_log(QStringLiteral("********** Stop Trace Route. **********"));
        m_trace.Reset();
    }
}
