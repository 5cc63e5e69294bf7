// The window with the real syslog component, on loopback inside a namespace of each test's own.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include "netcomp/syslog/TncSysLog.h"
#include "syslog/SyslogLineModel.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"
#include "tests/syslog/SyslogFakes.h"
#include "ui/NumericEdit.h"

namespace {

class SyslogLoopback : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    InDirectory in{dir.path()};
    ScriptedDialogs boxes;

    static bool waitForLines(const TfSyslog& w, int n) {
        QDeadlineTimer deadline(5000);
        while (w.store().count() < n && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(1);
        }
        return w.store().count() >= n;
    }
};

}  // namespace

TEST_F(SyslogLoopback, LoggerMessagesAppearWithTheTickedFields) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslogw");
    NsEnter enter(ns);
    TfSyslog w;
    for (QCheckBox* c : {w.cbFacility, w.cbSeverity, w.cbHostName, w.cbSourceAddress})
        c->setChecked(true);
    w.btnStart->click();
    ASSERT_TRUE(boxes.shown.empty());
    const QString host = QString::fromStdString(ShOut("hostname")).trimmed();
    struct Send {
        const char* args;
        const char* tail;
    } sends[] = {
        {"--rfc3164 -p local3.warning -t probe three", " local3 warning %1 127.0.0.1 probe: three"},
        {"--rfc5424=notq -p mail.err -t probe five", " mail error %1 127.0.0.1 five"},
    };
    int lines = 1;  // the start line
    for (const Send& s : sends) {
        SCOPED_TRACE(s.args);
        ns.exec(std::string("logger -d -n 127.0.0.1 -P 514 ") + s.args);
        ASSERT_TRUE(waitForLines(w, ++lines));
        const QString line = w.store().lines().last();
        EXPECT_TRUE(line.endsWith(QString::fromLatin1(s.tail).arg(host))) << line.toStdString();
        EXPECT_FALSE(line.startsWith(u' '));  // the header's time stamp comes first
    }
}

TEST_F(SyslogLoopback, SenderMessagesArriveNumberedInOrder) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslogw");
    NsEnter enter(ns);
    TfSyslog w;
    w.btnStart->click();
    w.btnTest->click();
    w.edSendCount->setValue(100);
    w.btnSend->click();
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].text.toStdString();
    ASSERT_TRUE(waitForLines(w, 101));
    const QStringList lines = w.store().lines();
    for (int i = 1; i <= 100; ++i)
        ASSERT_TRUE(
            lines[i].endsWith(QString::number(i) + " > > Test send syslog message successfully."))
            << lines[i].toStdString();
    EXPECT_TRUE(w.ncSysLog->Active());  // listening again, as before the send
    EXPECT_FALSE(w.btnStart->isEnabled());
}

TEST_F(SyslogLoopback, StartWhilePortIsTaken) {
    VT_REQUIRE_ROOT();
    NetNs ns("syslogw");
    NsEnter enter(ns);
    const int fd = ::socket(AF_INET6, SOCK_DGRAM, 0);
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_port = htons(514);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    TfSyslog w;
    w.btnStart->click();
    ::close(fd);
    EXPECT_EQ(boxes.texts("error"),
              QStringList{"301: Cannot listen on UDP port 514: the port is already in use by "
                          "another program, such as another syslog server."});
    EXPECT_TRUE(w.btnTest->isEnabled());
    EXPECT_TRUE(w.btnStart->isEnabled());
    EXPECT_TRUE(w.btnStop->isEnabled());
    EXPECT_EQ(w.windowTitle(), "Syslog Server");
    EXPECT_EQ(w.store().count(), 0);
    EXPECT_FALSE(w.ncSysLog->Active());
}
