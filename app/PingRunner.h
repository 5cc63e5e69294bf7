#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "common/LogSink.h"

class TncPing;

// Ping runs, whole: the settings of a run, its attempts with their request, reply and failure
// lines, the tally the component's reply event keeps and the summary reports, and the continuous
// mode with its 2000 ms timer. A burst is five attempts inside start(); a continuous run is one
// attempt per tick of tmLooping until IsLoopPing is cleared.
class PingRunner : public QObject {
    Q_OBJECT
  public:
    // What the window shows at the moment of an attempt: a request line names these, and the
    // echo goes to `host`.
    struct Shown {
        int packetSize = 0;
        QString host;
        QString sourceName;
        QString sourceAddress;  // empty: no source adapter
    };

    // Takes the component's reply event. `shown` is read once per attempt.
    PingRunner(TncPing& ping, LogSink log, std::function<Shown()> shown, QObject* parent = nullptr);

    // Writes a run's settings to the component (an empty source removes an earlier one) and
    // clears the tally, then runs a burst, or starts the continuous run whose first attempt
    // follows at the first tick. A refused setting propagates with nothing changed; a failure
    // that is not the component's ends a burst without summary.
    void start(int packetSize, int timeout, const QString& sourceAddress, bool continuous);
    // The check box: a continuous run goes on while this is true (no run starts by it).
    void setLoopPing(bool on) { IsLoopPing = on; }
    bool loopPing() const { return IsLoopPing; }
    // One tick of a continuous run: an attempt, or, with IsLoopPing cleared, the end of the run.
    void tmLoopingTimer();
    const QTimer& loopTimer() const { return tmLooping; }

    // The tally of the current run; kept after it until the next start.
    int attempts() const { return iCountPing; }
    int replies() const { return iPingSuccess; }
    int failures() const { return iPingFail; }

  signals:
    // The run holds the button: during a burst, and from the first tick of a continuous run to
    // its end (a failure that escapes a tick leaves it held; the next tick tries again).
    void busyChanged(bool busy);

  private:
    void attempt(bool burst);
    void ncPing1Response();
    void AddPingReply();
    void AddPingError(const QString& message, const QString& shownHost);
    void writeSummary();

    TncPing& m_ping;
    LogSink m_log;
    std::function<Shown()> m_shown;
    int iCountPing = 0;
    int iPingSuccess = 0;
    int iPingFail = 0;
    bool IsLoopPing = false;
    QTimer tmLooping;
};
