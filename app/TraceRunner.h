#pragma once

#include <QString>
#include <optional>

#include "common/LogSink.h"

class TncTraceRoute;

// Trace runs, whole: the start lines, one aligned line per hop from the component's hop event,
// the stop request that takes effect at the next hop, and the completion line. Hops are shown by
// address only.
class TraceRunner {
  public:
    struct Source {
        QString name;
        QString address;
    };

    // Takes the component's hop event.
    TraceRunner(TncTraceRoute& trace, LogSink log);

    // Traces to host, blocking until the trace ends (the component keeps the user interface
    // running meanwhile); with a source, the probes leave from its address, otherwise from the
    // address the last trace with a source set. The component's failures propagate: no
    // completion line then.
    void run(const QString& host, const std::optional<Source>& source);
    // Asks a running trace to end at the next hop report; no effect on the next trace.
    void requestStop() { IsRunTrace = false; }
    bool running() const { return IsRunTrace; }

  private:
    // The hop line: address or "***", padded to 40, then the time when there is one; after a
    // stop request, the stop line and the trace ends.
    void ncTraceRoute1Hop(int HopNumber, const QString& HostAddress, int Duration);

    TncTraceRoute& m_trace;
    LogSink m_log;
    bool IsRunTrace = false;
};
