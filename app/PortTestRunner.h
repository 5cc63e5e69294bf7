#pragma once

#include <QString>

#include "app/LogSink.h"

class TncTelnet;

// TCP port tests: connect, report the outcome, close a connection that was made at once; nothing
// is sent.
class PortTestRunner {
  public:
    PortTestRunner(TncTelnet& telnet, LogSink log);

    // One test of host and port: the start lines, then up to 5000 ms of the user interface
    // running while the outcome comes as events, then the closing line unless a connection
    // stands. A failure of the component is logged and ends the test; others propagate.
    void run(const QString& host, int port);
    // The outcome of the attempt: success (StatusCode 0) disconnects at once.
    void connected(int statusCode, const QString& description);
    void disconnected(const QString& description);

  private:
    void waitForOutcome();

    TncTelnet& m_telnet;
    LogSink m_log;
};
