// Syslog ingest benchmark driver. Modes:
//   receive <count>        the real syslog window (offscreen, limit 10 000, stamp on, every field
//                          ticked) listens on UDP 514 until <count> messages arrived or the flow
//                          stopped for 3 s; prints received count (list + rotated files), CPU
//                          seconds and peak RSS. Run it in a scratch directory: it rotates there.
//   flood <rate> <count> [port]   sends <count> numbered RFC 3164 messages to 127.0.0.1 at
//                          <rate>/s (0: as fast as the system takes them); prints what it sent.
//   overload               the same window under floods above its capacity: while the first
//                          flood runs, how long a queued event (as input arrives) waits; then the
//                          received and dropped counts; during the next flood, a Stop click's
//                          time until the receiver is stopped.
//   memory <lines>         fills the list to <lines> lines and reports RSS and append/scroll
//                          times.
//   filter <lines>         fills the list with <lines> received lines, then times each keystroke
//                          of typing a filter text and deleting it again, and a severity pick.
// Run only inside a loopback-only network namespace (bench/syslog-ingest.sh does).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "netcomp/syslog/TncSysLog.h"
#include "syslog/SyslogLineModel.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"
#include "ui/NumericEdit.h"

namespace {

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long PeakRssKiB() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

long RssKiB() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024) : -1;
}

const QByteArray kMarker = "bench-msg ";

int Flood(long rate, long count, int port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(quint16(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    char buf[256];
    long sent = 0;
    for (long i = 1; i <= count; ++i) {
        // Pace: message i is due at start + i/rate.
        const long long dueNs = rate > 0 ? (long long)(i * 1e9 / double(rate)) : 0;
        for (;;) {
            timespec now{};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            const long long elapsed =
                (now.tv_sec - start.tv_sec) * 1000000000LL + (now.tv_nsec - start.tv_nsec);
            if (elapsed >= dueNs) break;
            if (dueNs - elapsed > 200000) ::usleep(100);
        }
        const int n = std::snprintf(buf, sizeof buf,
                                    "<165>Dec  9 23:59:59 bench-host app[42]: %s%ld some "
                                    "typical text of a network device event line",
                                    kMarker.constData(), i);
        if (::sendto(fd, buf, size_t(n), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == n)
            ++sent;
    }
    ::close(fd);
    timespec end{};
    ::clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds =
        double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
    std::printf("sent=%ld in %.2fs  offered=%.0f/s\n", sent, seconds, double(sent) / seconds);
    return 0;
}

long CountInFiles() {
    long n = 0;
    for (const QString& name : QDir::current().entryList({QStringLiteral("auto-*")}, QDir::Files)) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly)) continue;
        n += f.readAll().count(kMarker);
    }
    return n;
}

// The window as the benchmarks use it: limit 10 000, stamp on, every field ticked, listening.
void SetUp(TfSyslog& w) {
    w.edValue->setValue(10000);
    for (QCheckBox* c :
         {w.cbFacility, w.cbSeverity, w.cbHostName, w.cbSourceAddress, w.cbStampdatetime})
        c->setChecked(true);
    w.show();
    w.btnStart->click();
}

long ReceivedInListAndFiles(const TfSyslog& w) {
    long inList = 0;
    for (const QString& l : w.store().lines()) inList += l.contains(QLatin1String(kMarker));
    return inList + CountInFiles();
}

int Receive(int argc, char** argv, long count) {
    QApplication app(argc, argv);
    TfSyslog w;
    SetUp(w);
    if (!w.ncSysLog->Active()) return 2;

    long arrived = 0;
    QElapsedTimer sinceLast;
    double cpuAtFirst = 0;
    QElapsedTimer wall;
    auto windowHandler = w.ncSysLog->OnPacketIn;  // count arrivals, then the window's handling
    w.ncSysLog->OnPacketIn = [&](TncSysLog* s, int fc, const QString& f, int sc, const QString& sv,
                                 const QString& ts, const QString& h, const QString& m, bool c,
                                 const QString& p, const QByteArray& b, const QString& a,
                                 int port) {
        if (arrived++ == 0) {
            cpuAtFirst = CpuSeconds();
            wall.start();
        }
        sinceLast.start();
        windowHandler(s, fc, f, sc, sv, ts, h, m, c, p, b, a, port);
    };
    std::printf("ready receive-buffer=%d\n", w.ncSysLog->ReceiveBufferSize());
    std::fflush(stdout);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (arrived >= count || (arrived > 0 && sinceLast.elapsed() > 3000)) app.quit();
    });
    poll.start(100);
    app.exec();
    const double cpu = CpuSeconds() - cpuAtFirst;
    const double seconds = double(wall.elapsed()) / 1000.0;
    const long total = ReceivedInListAndFiles(w);
    std::printf(
        "received=%ld of %ld  counted-by-event=%ld  cpu=%.3fs  cpu-per-msg=%.1fus  "
        "wall=%.2fs  peak-rss=%ldKiB\n",
        total, count, arrived, cpu, total ? cpu * 1e6 / double(total) : 0.0, seconds, PeakRssKiB());
    return 0;
}

int Overload(int argc, char** argv) {
    QApplication app(argc, argv);
    TfSyslog w;
    SetUp(w);
    if (!w.ncSysLog->Active()) return 2;
    long arrived = 0;
    QElapsedTimer sinceLast;
    auto windowHandler = w.ncSysLog->OnPacketIn;
    w.ncSysLog->OnPacketIn = [&](TncSysLog* s, int fc, const QString& f, int sc, const QString& sv,
                                 const QString& ts, const QString& h, const QString& m, bool c,
                                 const QString& p, const QByteArray& b, const QString& a,
                                 int port) {
        ++arrived;
        sinceLast.start();
        windowHandler(s, fc, f, sc, sv, ts, h, m, c, p, b, a, port);
    };
    // Another thread posts an event every 50 ms, the way input reaches the window, and the time
    // until the window's thread runs it is kept while the first flood is on.
    QElapsedTimer clock;
    clock.start();
    std::atomic<int> phase{1};
    std::atomic<bool> probing{true};
    std::vector<qint64> waits;
    std::thread prober([&] {
        while (probing) {
            QThread::msleep(50);
            const qint64 at = clock.elapsed();
            QMetaObject::invokeMethod(
                &w,
                [&, at] {
                    if (phase == 1 && arrived > 0 && sinceLast.elapsed() < 100)
                        waits.push_back(clock.elapsed() - at);
                },
                Qt::QueuedConnection);
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    long atSecond = 0;
    qint64 secondSince = -1;
    std::atomic<qint64> stopAskedAt{-1};
    std::thread stopper;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (phase == 1 && arrived > 0 && sinceLast.elapsed() > 1500) {
            std::sort(waits.begin(), waits.end());
            const auto at = [&](double q) {
                return waits.empty() ? -1 : waits[size_t(q * double(waits.size() - 1))];
            };
            std::printf(
                "received=%ld  counted-by-event=%ld  dropped-counted=%lld  shown=\"%s\"  "
                "queued-event-wait: median=%lldms  p99=%lldms  max=%lldms (%zu probes)\n",
                ReceivedInListAndFiles(w), arrived, w.ncSysLog->DroppedCount(),
                w.spDropped->text().toUtf8().constData(), (long long)at(0.5), (long long)at(0.99),
                (long long)at(1.0), waits.size());
            std::printf("phase1-done\n");
            std::fflush(stdout);
            phase = 2;
            atSecond = arrived;
        } else if (phase == 2 && arrived > atSecond) {
            if (secondSince < 0) secondSince = clock.elapsed();
            if (clock.elapsed() - secondSince > 1000 && stopAskedAt < 0) {
                stopAskedAt = 0;
                stopper = std::thread([&] {
                    stopAskedAt = clock.elapsed();
                    QMetaObject::invokeMethod(
                        &w,
                        [&] {
                            w.btnStop->click();
                            const long linesAtStop = w.store().count();
                            std::printf("stop-click-to-stopped=%lldms  active=%d\n",
                                        (long long)(clock.elapsed() - stopAskedAt),
                                        int(w.ncSysLog->Active()));
                            std::fflush(stdout);
                            QTimer::singleShot(500, &app, [&, linesAtStop] {
                                std::printf("lines-after-stop=%ld\n",
                                            long(w.store().count()) - linesAtStop);
                                app.quit();
                            });
                        },
                        Qt::QueuedConnection);
                });
            }
        }
    });
    poll.start(50);
    app.exec();
    probing = false;
    prober.join();
    if (stopper.joinable()) stopper.join();
    return 0;
}

int Memory(int argc, char** argv, int lines) {
    QApplication app(argc, argv);
    TfSyslog w;
    w.edValue->setValue(100000);
    w.show();
    app.processEvents();
    const long before = RssKiB();
    QElapsedTimer t;
    t.start();
    for (int i = 1; i <= lines; ++i) {
        w.AddLogLine(QStringLiteral("Dec  9 23:59:59 local4 notice bench-host 127.0.0.1 app[42]: "
                                    "bench-msg %1 some typical text of a device event")
                         .arg(i));
        if (i % 1000 == 0) app.processEvents();  // events run as they would between packets
    }
    QThread::msleep(2 * SyslogLineModel::kLongestFlushMs);  // the view takes in the last batch
    app.processEvents();
    const double fill = double(t.nsecsElapsed()) / 1e6;
    const long after = RssKiB();
    // Jumping to the top and back to the bottom of the full list, then the append past the
    // limit, which saves the 100 000 lines to a file and empties the list.
    t.restart();
    w.LogBox->scrollToTop();
    app.processEvents();
    w.LogBox->scrollToBottom();
    app.processEvents();
    const double scroll = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    w.AddLogLine(QStringLiteral("one more"));
    app.processEvents();
    const double appendAtMax = double(t.nsecsElapsed()) / 1e6;
    std::printf(
        "lines=%d  rss-before=%ldKiB  rss-after=%ldKiB  per-line=%.0fB  fill=%.0fms  "
        "scroll-top-bottom=%.2fms  rotation-of-full-list=%.0fms\n",
        lines, before, after, double(after - before) * 1024.0 / lines, fill, scroll, appendAtMax);
    return 0;
}

// Feeds datagrams to the window without a socket.
class FedSysLog : public TncSysLog {
  public:
    using TncSysLog::ReportDatagram;
};

int Filter(int argc, char** argv, int lines) {
    QApplication app(argc, argv);
    FedSysLog component;
    TfSyslog w(nullptr, &component);
    w.edValue->setValue(100000);
    w.cbStampdatetime->setChecked(true);
    w.cbSeverity->setChecked(true);
    w.show();
    app.processEvents();
    const long before = RssKiB();
    for (int i = 1; i <= lines; ++i) {
        const int severity = i % 8;
        const QByteArray text =
            i % 500 == 0 ? "%LINK-3-UPDOWN: Interface GigabitEthernet1/0/" +
                               QByteArray::number(i % 48) + ", changed state to down"
                         : "%SEC-6-IPACCESSLOGP: list 101 permitted tcp 10.1.1." +
                               QByteArray::number(i % 250) + "(51234) -> 10.2.2.2(443), 1 packet";
        component.ReportDatagram(
            "<" + QByteArray::number(20 * 8 + severity) + ">Dec  9 23:59:59 core-sw1 " + text,
            QStringLiteral("127.0.0.1"), 514);
        if (i % 1000 == 0) app.processEvents();
    }
    QThread::msleep(2 * SyslogLineModel::kLongestFlushMs);
    app.processEvents();
    const long after = RssKiB();
    QElapsedTimer t;
    // One keystroke: the edit's text changes, the view is filtered and painted.
    auto keystroke = [&](const QString& text) {
        t.restart();
        w.edFilter->setText(text);
        app.processEvents();
        w.LogBox->viewport()->repaint();
        return double(t.nsecsElapsed()) / 1e6;
    };
    const QString typed = QStringLiteral("%LINK-3-UPDOWN");
    std::vector<double> typing, deleting;
    for (int n = 1; n <= typed.size(); ++n) typing.push_back(keystroke(typed.left(n)));
    const int shown = w.model().rowCount();
    for (int n = int(typed.size()) - 1; n >= 0; --n) deleting.push_back(keystroke(typed.left(n)));
    t.restart();
    w.cbFilterSeverity->setCurrentIndex(w.cbFilterSeverity->findText(QStringLiteral("error")));
    app.processEvents();
    w.LogBox->viewport()->repaint();
    const double pick = double(t.nsecsElapsed()) / 1e6;
    const auto worst = [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    };
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf(
        "lines=%d  per-line=%.0fB  typing \"%s\" (%d shown at the end): median=%.1fms max=%.1fms  "
        "deleting back: median=%.1fms max=%.1fms  severity pick: %.1fms (%d shown)\n",
        lines, double(after - before) * 1024.0 / lines, typed.toUtf8().constData(), shown,
        median(typing), worst(typing), median(deleting), worst(deleting), pick,
        w.model().rowCount());
    return 0;
}

// The window listening with a few messages, for screenshots; with a filter text, that text is
// typed into the filter half-way through.
int Show(int argc, char** argv, int seconds, const QString& filter) {
    QApplication app(argc, argv);
    TfSyslog w;
    w.cbFacility->setChecked(true);
    w.cbSeverity->setChecked(true);
    w.cbSourceAddress->setChecked(true);
    w.show();
    w.btnStart->click();
    w.btnTest->click();
    w.btnSend->click();
    std::printf("ready\n");
    std::fflush(stdout);
    if (!filter.isEmpty())
        QTimer::singleShot(seconds * 500, &w, [&] {
            w.edFilter->setText(filter);
            w.cbFilterSeverity->setCurrentIndex(
                w.cbFilterSeverity->findText(QStringLiteral("warning")));
        });
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "flood" && argc >= 4)
        return Flood(std::atol(argv[2]), std::atol(argv[3]), argc > 4 ? std::atoi(argv[4]) : 514);
    if (mode == "receive" && argc >= 3) return Receive(argc, argv, std::atol(argv[2]));
    if (mode == "overload") return Overload(argc, argv);
    if (mode == "filter" && argc >= 3) return Filter(argc, argv, std::atoi(argv[2]));
    if (mode == "memory" && argc >= 3) return Memory(argc, argv, std::atoi(argv[2]));
    if (mode == "show" && argc >= 3)
        return Show(argc, argv, std::atoi(argv[2]),
                    argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());
    std::fprintf(stderr,
                 "usage: %s receive <count> | flood <rate> <count> [port] | overload | "
                 "memory <lines> | filter <lines>\n",
                 argv[0]);
    return 1;
}
