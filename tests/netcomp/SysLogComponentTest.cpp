// The real syslog component on loopback, each test inside a network namespace of its own, so
// port 514 is free there and nothing leaves the machine.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <vector>

#include "netcomp/syslog/TncSysLog.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"

namespace {

struct Packet {
    int facilityCode = 0, severityCode = 0;
    QString facility, severity, timestamp, hostname, message;
    bool conforms = false;
    QString packet;
    QByteArray bytes;
    QString source;
    int sourcePort = 0;
};

// Collects what a component reports.
struct Sink {
    std::vector<Packet> got;
    void attach(TncSysLog& c) {
        c.OnPacketIn = [this](TncSysLog*, int fc, const QString& f, int sc, const QString& s,
                              const QString& ts, const QString& host, const QString& msg,
                              bool conforms, const QString& packet, const QByteArray& bytes,
                              const QString& source, int port) {
            got.push_back({fc, sc, f, s, ts, host, msg, conforms, packet, bytes, source, port});
        };
    }
    // Runs the event loop until n packets arrived or 5 s passed.
    bool waitFor(size_t n) {
        QDeadlineTimer deadline(5000);
        while (got.size() < n && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(1);
        }
        return got.size() >= n;
    }
};

// A plain socket bound to a UDP port, as another program would hold it.
struct HeldPort {
    int fd = -1;
    HeldPort(int port, bool reuse) {
        fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int one = 1;
        if (reuse) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(quint16(port));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) ADD_FAILURE() << "bind";
    }
    ~HeldPort() { ::close(fd); }
};

}  // namespace

// util-linux logger is a real client; both of its formats, over IPv4 and IPv6.
TEST(SysLogComponent, ReceivesLoggerMessagesInBothFormats) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslog");
    NsEnter in(ns);
    TncSysLog c;
    Sink sink;
    sink.attach(c);
    c.SetActive(true);
    ASSERT_TRUE(c.Active());
    const QString host = QString::fromStdString(ShOut("hostname")).trimmed();

    struct Send {
        const char* args;
        const char* source;
        const char* facility;
        const char* severity;
        const char* message;
    } sends[] = {
        {"--rfc3164 -n 127.0.0.1 -p local3.warning -t probe", "127.0.0.1", "local3", "warning",
         "probe: three one six four"},
        {"--rfc5424=notq -n 127.0.0.1 -p mail.err -t probe", "127.0.0.1", "mail", "error",
         "five four two four"},
        {"--rfc5424=notq -n ::1 -p daemon.info -t probe", "::1", "daemon", "info", "over six"},
    };
    for (const Send& s : sends) {
        SCOPED_TRACE(s.args);
        const size_t before = sink.got.size();
        const std::string text = QString::fromUtf8(s.message).section(": ", -1).toStdString();
        ns.exec(std::string("logger -d -P 514 ") + s.args + " \"" + text + "\"");
        ASSERT_TRUE(sink.waitFor(before + 1));
        const Packet& p = sink.got.back();
        EXPECT_EQ(p.facility, s.facility);
        EXPECT_EQ(p.severity, s.severity);
        EXPECT_EQ(p.hostname, host);
        EXPECT_EQ(p.message, s.message);
        EXPECT_TRUE(p.conforms);
        EXPECT_FALSE(p.timestamp.isEmpty());
        EXPECT_EQ(p.source, s.source);
        EXPECT_GT(p.sourcePort, 0);
        EXPECT_EQ(p.bytes, p.packet.toUtf8());
    }
}

// A burst sent while the receiver's thread is busy is drained in full and in order, and no
// datagram (largest, NULs, garbage, empty) stalls or breaks the receiver.
TEST(SysLogComponent, DrainsBurstsAndOddDatagramsInOrder) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslog");
    NsEnter in(ns);
    TncSysLog receiver, sender;
    Sink sink;
    sink.attach(receiver);
    receiver.SetActive(true);
    sender.SetLocalPort(5140);
    sender.SetRemoteHost("127.0.0.1");
    sender.SetRemotePort(514);
    sender.SetActive(true);

    const int n = 2000;
    for (int i = 1; i <= n; ++i) sender.SendPacket(5, 7, QString::number(i) + " > burst");
    ASSERT_TRUE(sink.waitFor(n)) << sink.got.size() << " of " << n;
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(sink.got[size_t(i)].message, QString::number(i + 1) + " > burst");

    // Odd datagrams from a plain socket.
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(514);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::vector<QByteArray> odd = {QByteArray(65507, 'x'), QByteArray("\0\0\0", 3),
                                         QByteArray(), QByteArray("<999>\xff\r\n"),
                                         QByteArray("<13>after")};
    for (const QByteArray& d : odd)
        ::sendto(fd, d.constData(), size_t(d.size()), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to);
    ::close(fd);
    ASSERT_TRUE(sink.waitFor(n + odd.size()));
    for (size_t i = 0; i < odd.size(); ++i) EXPECT_EQ(sink.got[n + i].bytes, odd[i]);
    EXPECT_EQ(sink.got.back().message, "after");
    EXPECT_EQ(sink.got[n].message.size(), 65507);
}

// Start while another program holds the port: a clear error, and the component stays closed.
TEST(SysLogComponent, RefusesTakenPort) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslog");
    NsEnter in(ns);
    for (bool reuse : {false, true}) {  // daemons often set SO_REUSEADDR; we must not share
        SCOPED_TRACE(reuse);
        HeldPort held(514, reuse);
        TncSysLog c;
        try {
            c.SetActive(true);
            FAIL() << "opened a taken port";
        } catch (const EncSysLog& e) {
            EXPECT_EQ(e.Code, TncSysLog::ErrPortInUse);
            EXPECT_EQ(e.message(),
                      "301: Cannot listen on UDP port 514: the port is already in use "
                      "by another program, such as another syslog server");
        }
        EXPECT_FALSE(c.Active());
    }
}

// Without the right to bind a low port the error says so. The raw system call drops the
// effective user of this thread only, and with it the right to bind below 1024.
TEST(SysLogComponent, ExplainsMissingPermission) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslog");
    NsEnter in(ns);
    struct AsNobody {
        AsNobody() { EXPECT_EQ(::syscall(SYS_setresuid, -1, 65534, -1), 0); }
        ~AsNobody() { ::syscall(SYS_setresuid, -1, 0, -1); }
    };
    TncSysLog c;
    try {
        AsNobody nobody;
        c.SetActive(true);
        FAIL() << "opened port 514 without the right to";
    } catch (const EncSysLog& e) {
        EXPECT_EQ(e.Code, TncSysLog::ErrNoPermission);
        EXPECT_EQ(e.message(),
                  "302: Cannot listen on UDP port 514: permission denied; ports below 1024 need "
                  "administrator rights, or give this program that right alone: sudo setcap "
                  "cap_net_bind_service=+ep " +
                      QCoreApplication::applicationFilePath());
    }
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(::geteuid(), 0u);
}

// Handlers may throw or close the component from inside the event; delivery copes with both.
TEST(SysLogComponent, HandlersThatThrowOrCloseInsideTheEvent) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslog");
    NsEnter in(ns);
    TncSysLog receiver, sender;
    sender.SetLocalPort(5140);
    sender.SetRemoteHost("127.0.0.1");
    sender.SetActive(true);
    int seen = 0;
    QString error;
    receiver.OnError = [&](TncComponent*, int, const QString& text) { error = text; };
    receiver.OnPacketIn = [&](TncSysLog* self, int, const QString&, int, const QString&,
                              const QString&, const QString&, const QString& msg, bool,
                              const QString&, const QByteArray&, const QString&, int) {
        ++seen;
        if (msg == "throw") throw std::runtime_error("handler failed");
        if (msg == "close") self->SetActive(false);
    };
    receiver.SetActive(true);
    for (const char* m : {"throw", "next", "close", "lost"})
        sender.SendPacket(1, 5, QString::fromLatin1(m));
    QDeadlineTimer deadline(1000);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(seen, 3);  // the datagram after "close" is not reported
    EXPECT_FALSE(receiver.Active());
    EXPECT_EQ(error, "An unhandled error occurred in the PacketIn event handler: handler failed");
    receiver.SetActive(true);  // the port was released at once
    EXPECT_TRUE(receiver.Active());
}

TEST(SysLogComponent, RefusesBadValuesAndSendingWhileClosed) {
    TncSysLog c;
    struct Bad {
        const char* what;
        std::function<void()> call;
        int code;
    } bad[] = {
        {"send while closed", [&] { c.SendPacket(5, 7, "x"); }, TncSysLog::ErrNotActive},
        {"host name", [&] { c.SetRemoteHost("localhost"); }, TncSysLog::ErrBadRemoteHost},
        {"empty host", [&] { c.SetRemoteHost(""); }, TncSysLog::ErrBadRemoteHost},
        {"three parts", [&] { c.SetRemoteHost("1.2.3"); }, TncSysLog::ErrBadRemoteHost},
        {"leading zero", [&] { c.SetRemoteHost("010.0.0.1"); }, TncSysLog::ErrBadRemoteHost},
        {"part too big", [&] { c.SetRemoteHost("1.2.3.256"); }, TncSysLog::ErrBadRemoteHost},
        {"port 0", [&] { c.SetRemotePort(0); }, TncSysLog::ErrBadPort},
        {"port 65536", [&] { c.SetRemotePort(65536); }, TncSysLog::ErrBadPort},
        {"local port -1", [&] { c.SetLocalPort(-1); }, TncSysLog::ErrBadPort},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        try {
            b.call();
            ADD_FAILURE() << "accepted";
        } catch (const EncSysLog& e) {
            EXPECT_EQ(e.Code, b.code);
        }
    }
    EXPECT_EQ(c.RemotePort(), 514);
    EXPECT_EQ(c.LocalPort(), 514);
    c.SetRemoteHost(" ::1 ");
    EXPECT_EQ(c.RemoteHost(), "::1");
}

TEST(SysLogComponent, RefusesCodesOutOfRange) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslog");
    NsEnter in(ns);
    TncSysLog c;
    c.SetRemoteHost("127.0.0.1");
    c.SetActive(true);
    for (auto [f, s] : {std::pair{24, 0}, {-1, 0}, {0, 8}, {0, -1}})
        EXPECT_THROW(c.SendPacket(f, s, "x"), EncSysLog) << f << "." << s;
}

// Debian's rsyslog, on a loopback port in the namespace with a configuration of its own, reads
// what SendPacket sends with the facility, severity and text it was given.
TEST(SysLogComponent, RsyslogReadsSentMessages) {
    VT_REQUIRE_ROOT();
    if (Sh("command -v rsyslogd >/dev/null", false) != 0) GTEST_SKIP() << "rsyslogd not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath("out.log");
    QFile conf(dir.filePath("rsyslog.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("global(workDirectory=\"%1\")\n"
                              "module(load=\"imudp\")\n"
                              "input(type=\"imudp\" address=\"127.0.0.1\" port=\"5514\")\n"
                              "template(name=\"t\" type=\"string\" "
                              "string=\"%syslogfacility%|%syslogseverity%|%msg%\\n\")\n"
                              "*.* action(type=\"omfile\" file=\"%2\" template=\"t\")\n")
                   .arg(dir.path(), out)
                   .toUtf8());
    conf.close();
    NetNs ns("syslog");
    ns.spawn("rsyslogd -n -f " + conf.fileName().toStdString() + " -i " +
             dir.filePath("pid").toStdString());
    QDeadlineTimer ready(5000);
    while (ns.out("ss -Hunl sport = :5514").empty() && !ready.hasExpired()) QThread::msleep(20);
    ASSERT_FALSE(ready.hasExpired()) << "rsyslogd did not start";

    NsEnter in(ns);
    TncSysLog c;
    c.SetRemoteHost("127.0.0.1");
    c.SetRemotePort(5514);
    c.SetActive(true);
    const QStringList want = {QStringLiteral("5|7|1 > > Test send syslog message successfully."),
                              QStringLiteral("23|0|panic at the disco"),
                              QStringLiteral(u"0|3|ไทย and ümlauts")};
    c.SendPacket(5, 7, "1 > > Test send syslog message successfully.");
    c.SendPacket(23, 0, "panic at the disco");
    c.SendPacket(0, 3, QStringLiteral(u"ไทย and ümlauts"));
    QStringList got;
    QDeadlineTimer deadline(5000);
    while (got.size() < want.size() && !deadline.hasExpired()) {
        QThread::msleep(50);
        QFile f(out);
        if (f.open(QIODevice::ReadOnly))
            got = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    EXPECT_EQ(got, want);
}
