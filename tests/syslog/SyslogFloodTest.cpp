// The real syslog window under a flood above what it can take, in a namespace of its own: the
// window keeps answering, Stop takes effect quickly and ends the lines, the datagrams the system
// dropped are shown and add up with the received ones to what was sent, and no received line is
// lost or doubled between the list and the rotated files.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <functional>
#include <thread>

#include "netcomp/syslog/TncSysLog.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"
#include "tests/syslog/SyslogFakes.h"
#include "ui/NumericEdit.h"

namespace {

const QString kMark = QStringLiteral("flood-msg ");

// Sends numbered messages to 127.0.0.1:514 as fast as the system takes them, from a thread of
// its own (inside the caller's namespace), until count were sent or it is told to stop.
class Flood {
  public:
    explicit Flood(long count) : m_count(count) {
        m_thread = std::thread([this] { run(); });
    }
    ~Flood() {
        stop();
        join();
    }
    void stop() { m_stop = true; }
    void join() {
        if (m_thread.joinable()) m_thread.join();
    }
    long sent() const { return m_sent; }

  private:
    void run() {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(514);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        char buf[128];
        for (long i = 1; i <= m_count && !m_stop; ++i) {
            const int n = std::snprintf(buf, sizeof buf, "<11>Oct 11 22:14:15 host %s%ld",
                                        kMark.toLatin1().constData(), i);
            if (::sendto(fd, buf, size_t(n), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == n)
                ++m_sent;
        }
        ::close(fd);
    }

    long m_count;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_sent{0};
    std::thread m_thread;
};

// Runs the event loop; after afterMs another thread asks for action the way input arrives (a
// queued event) and the time until it has run is returned.
qint64 TimedFromOutside(QObject* context, int afterMs, const std::function<void()>& action) {
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> askedAt{-1};
    qint64 took = -1;
    QEventLoop loop;
    std::thread asker([&] {
        QThread::msleep(afterMs);
        askedAt = clock.elapsed();
        QMetaObject::invokeMethod(
            context,
            [&] {
                action();
                took = clock.elapsed() - askedAt;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    loop.exec();
    asker.join();
    return took;
}

// Runs the event loop until the list has not grown for quietMs.
void WaitUntilQuiet(const TfSyslog& w, int quietMs) {
    QElapsedTimer quiet;
    quiet.start();
    int last = -1;
    while (quiet.elapsed() < quietMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const int now = w.store().count();
        if (now != last) {
            last = now;
            quiet.restart();
        }
        QThread::msleep(1);
    }
}

// The numbers of the flood lines, from the list and the rotated files, in the order they went
// in: the files by their names' order of writing (stamp, then -2, -3, ...), then the list.
std::vector<long> ReceivedNumbers(const QString& dir, const QStringList& list) {
    QStringList lines;
    QStringList files = QDir(dir).entryList({"auto-*-log.txt"}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        auto order = [](const QString& n) {  // auto-<stamp>[-k]-log.txt
            const QStringList parts = n.chopped(8).split(u'-');
            return std::pair(parts[1] + parts[2], parts.size() > 3 ? parts[3].toInt() : 1);
        };
        return order(a) < order(b);
    });
    for (const QString& f : files) lines += FileLines(dir + u'/' + f);
    lines += list;
    std::vector<long> out;
    for (const QString& l : lines) {
        const qsizetype at = l.indexOf(kMark);
        if (at >= 0) out.push_back(l.mid(at + kMark.size()).toLong());
    }
    return out;
}

}  // namespace

TEST(SyslogFlood, WindowAnswersCountsDropsAndKeepsEveryReceivedLineOnce) {
    VT_REQUIRE_ROOT();
    QTemporaryDir dir;
    InDirectory in(dir.path());
    ScriptedDialogs boxes;
    NetNs ns("syslogf");
    NsEnter enter(ns);
    TfSyslog w;
    w.edValue->setValue(5000);
    w.show();
    w.btnStart->click();
    ASSERT_TRUE(w.ncSysLog->Active());
    EXPECT_EQ(w.spDropped->text(), "Dropped: 0");

    // A burst far above what one thread parses; meanwhile a check box is ticked from outside
    // the event loop, the way a click arrives, and must take effect within the flood.
    long sent = 0;
    qint64 tickLatencyMs = -1;
    {
        Flood flood(400000);
        tickLatencyMs = TimedFromOutside(&w, 100, [&] { w.cbSeverity->click(); });
        EXPECT_TRUE(w.cbSeverity->isChecked());
        flood.join();
        sent = flood.sent();
    }
    WaitUntilQuiet(w, 500);  // drained, and the dropped pane refreshed since
    const std::vector<long> got = ReceivedNumbers(dir.path(), w.store().lines());
    const long received = long(got.size());
    const long dropped = sent - received;
    std::printf("flood: sent %ld, received %ld, dropped %ld (shown \"%s\"), tick took %lld ms\n",
                sent, received, dropped, w.spDropped->text().toUtf8().constData(),
                static_cast<long long>(tickLatencyMs));
    EXPECT_GT(dropped, 0) << "the flood did not exceed what the receiver takes";
    EXPECT_EQ(w.ncSysLog->DroppedCount(), dropped);
    EXPECT_EQ(w.spDropped->text(), "Dropped: " + QLocale().toString(qlonglong(dropped)));
    EXPECT_LT(tickLatencyMs, 1000);
    // Loopback keeps the order, so the received numbers rise strictly: nothing doubled, and
    // every gap is a dropped datagram.
    for (size_t i = 1; i < got.size(); ++i) ASSERT_LT(got[i - 1], got[i]) << "at " << i;
    EXPECT_TRUE(boxes.shown.empty());

    // Stop during a flood takes effect quickly, and no line comes after it.
    qint64 stopLatencyMs = -1;
    int linesAtStop = 0;
    {
        Flood flood(100000000);
        stopLatencyMs = TimedFromOutside(&w, 300, [&] {
            w.btnStop->click();
            linesAtStop = w.store().count();
        });
        QDeadlineTimer more(300);  // the flood goes on for a while after Stop
        while (!more.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::printf("stop during the flood took %lld ms\n", static_cast<long long>(stopLatencyMs));
    EXPECT_LT(stopLatencyMs, 1000);
    EXPECT_FALSE(w.ncSysLog->Active());
    EXPECT_EQ(w.store().count(), linesAtStop);
    EXPECT_TRUE(w.store().lines().last().endsWith("  >>> Stop syslog message...."));
}
