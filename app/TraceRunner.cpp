#include "app/TraceRunner.h"

#include "common/PadColumn.h"
#include "netcomp/icmp/TncTraceRoute.h"

TraceRunner::TraceRunner(TncTraceRoute& trace, LogSink log)
    : m_trace(trace), m_log(std::move(log)) {}

void TraceRunner::run(const QString& host, const std::optional<Source>& source) {
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

void TraceRunner::writeHop(int hopNumber, const QString& hostAddress, int duration) {
    const QString address = hostAddress.isEmpty() ? QStringLiteral("***") : hostAddress;
    const QString time = duration > 0 ? QStringLiteral("   Time: ") + QString::number(duration) +
                                            QStringLiteral("ms.")
                                      : QString();
    m_log(PadColumn(QStringLiteral("[Hop ") + QString::number(hopNumber + 1) +
                        QStringLiteral("] ---> ") + address,
                    QLatin1Char(' '), 40) +
          time);
}

void TraceRunner::stop() {
    m_log(QStringLiteral("********** Stop Trace Route. **********"));
    m_trace.Reset();
}
