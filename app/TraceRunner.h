#pragma once

#include <QString>
#include <optional>

#include "app/LogSink.h"

class TncTraceRoute;

// Trace runs: the start lines, one aligned line per hop, the stop and completion lines. Hops are
// shown by address only.
class TraceRunner {
  public:
    struct Source {
        QString name;
        QString address;
    };

    TraceRunner(TncTraceRoute& trace, LogSink log);

    // Traces to host, blocking until the trace ends (the component keeps the user interface
    // running meanwhile); with a source, the probes leave from its address, otherwise from the
    // address the last trace with a source set. The component's failures propagate: no
    // completion line then.
    void run(const QString& host, const std::optional<Source>& source);
    // The hop line: address or "***", padded to 40, then the time when there is one.
    void writeHop(int hopNumber, const QString& hostAddress, int duration);
    // The stop line, and the trace ends at once.
    void stop();

  private:
    TncTraceRoute& m_trace;
    LogSink m_log;
};
