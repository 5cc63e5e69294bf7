#pragma once

#include <QString>

#include "common/LogSink.h"

class TncTelnet;

// TCP port tests, whole: the checks of host and port, the connection, the outcome from the
// component's events, and the closing of a connection that was made, at once; nothing is sent.
class PortTestRunner {
  public:
    // What a test could not start without: the window moves the focus there.
    enum class Missing { Nothing, Host, Port };

    // Takes the component's connection events.
    PortTestRunner(TncTelnet& telnet, LogSink log);

    // One test of host and port: nothing but the answer when the host is empty or the port not
    // above 0; otherwise the start lines, then up to 5000 ms of the user interface running while
    // the outcome comes as events, then the closing line unless a connection stands. A failure
    // of the component is logged and ends the test; others propagate.
    Missing run(const QString& host, int port);

  private:
    void waitForOutcome();
    // The outcome of the attempt: success (StatusCode 0) disconnects at once.
    void Telnet1Connected(int StatusCode, const QString& Description);
    void Telnet1Disconnected(int StatusCode, const QString& Description);

    TncTelnet& m_telnet;
    LogSink m_log;
};
