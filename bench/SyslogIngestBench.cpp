// Syslog ingest benchmark driver. Modes:
//   receive <count>        the real syslog window (offscreen, limit 10 000, stamp on, every field
//                          ticked) listens on UDP 514 until <count> messages arrived or the flow
//                          stopped for 3 s; prints received count (list + rotated files), CPU
//                          seconds and peak RSS. Run it in a scratch directory: it rotates there.
//   flood <rate> <count> [port]   sends <count> numbered RFC 3164 messages to 127.0.0.1 at
//   <rate>/s. memory <lines>         fills the list to <lines> lines and reports RSS and
//   append/scroll times.
// Run only inside a loopback-only network namespace (bench/syslog-ingest.sh does).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "NumericEdit.h"
#include "SyslogLineModel.h"
#include "SyslogStore.h"
#include "TncSysLog.h"
#include "uSyslog.h"

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
    for (long i = 1; i <= count; ++i) {
        // Pace: message i is due at start + i/rate.
        const long long dueNs = (long long)(i * 1e9 / double(rate));
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
        ::sendto(fd, buf, size_t(n), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    ::close(fd);
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

int Receive(int argc, char** argv, long count) {
    QApplication app(argc, argv);
    TfSyslog w;
    w.edValue->setValue(10000);
    for (QCheckBox* c :
         {w.cbFacility, w.cbSeverity, w.cbHostName, w.cbSourceAddress, w.cbStampdatetime})
        c->setChecked(true);
    w.show();
    w.btnStart->click();
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
    long inList = 0;
    for (const QString& l : w.store().lines()) inList += l.contains(QLatin1String(kMarker));
    const long total = inList + CountInFiles();
    std::printf(
        "received=%ld of %ld  counted-by-event=%ld  cpu=%.3fs  cpu-per-msg=%.1fus  "
        "wall=%.2fs  peak-rss=%ldKiB\n",
        total, count, arrived, cpu, total ? cpu * 1e6 / double(total) : 0.0, seconds, PeakRssKiB());
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
    QThread::msleep(2 * SyslogLineModel::kFlushMs);  // the view takes in the last batch
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

int Show(int argc, char** argv, int seconds) {
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
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "flood" && argc >= 4)
        return Flood(std::atol(argv[2]), std::atol(argv[3]), argc > 4 ? std::atoi(argv[4]) : 514);
    if (mode == "receive" && argc >= 3) return Receive(argc, argv, std::atol(argv[2]));
    if (mode == "memory" && argc >= 3) return Memory(argc, argv, std::atoi(argv[2]));
    if (mode == "show" && argc >= 3) return Show(argc, argv, std::atoi(argv[2]));
    std::fprintf(stderr,
                 "usage: %s receive <count> | flood <rate> <count> [port] | memory <lines>\n",
                 argv[0]);
    return 1;
}
