#pragma once

#include <QString>
#include <functional>

#include "app/LogSink.h"

class TncPing;

// Ping runs: the settings of a run, its attempts with their request, reply and failure lines, and
// the tally its summary line reports. A burst is five attempts in one call; a continuous run is
// one attempt per call of attempt(), driven from outside.
class PingRunner {
  public:
    // What a request line shows, read from the window at the moment of the attempt.
    struct Shown {
        int packetSize = 0;
        QString host;
        QString sourceName;
        QString sourceAddress;  // empty: no source adapter
    };

    PingRunner(TncPing& ping, LogSink log, std::function<Shown()> shown);

    // The tally of the current run; kept after it until the next start.
    int attempts = 0;
    int replies = 0;  // counted by the component's reply event
    int failures = 0;

    // Writes a run's settings to the component (an empty source removes an earlier one) and
    // clears the tally. A refused setting propagates with the tally unchanged.
    void start(int packetSize, int timeout, const QString& sourceAddress);
    // An empty line, the start line, five attempts from the source the component reads back,
    // and the summary. A failure that is not the component's ends it without summary.
    void burst();
    // One attempt; a source adapter's lines name `source` as its address.
    void attempt(const QString& source);
    void writeReply();
    void writeFailure(const QString& message);
    void writeSummary();

  private:
    TncPing& m_ping;
    LogSink m_log;
    std::function<Shown()> m_shown;
};
