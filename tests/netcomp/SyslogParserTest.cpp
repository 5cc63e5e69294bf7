#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>

#include "netcomp/wire/SyslogFormat.h"
#include "netcomp/wire/SyslogParser.h"

namespace {

struct Case {
    const char* what;
    QByteArray datagram;
    int facility, severity;
    const char* timestamp;
    const char* hostname;
    QString message;
    bool conforms;
};

// A literal with embedded NULs, without the terminating one.
template <size_t N>
QByteArray Bytes(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}

const Case kCases[] = {
    {"RFC 3164 with host name", "<34>Oct 11 22:14:15 mymachine su: 'su root' failed for lonvick", 4,
     2, "Oct 11 22:14:15", "mymachine", "su: 'su root' failed for lonvick", true},
    {"RFC 3164 without host name, tag first", "<13>Feb  5 17:32:18 sshd[4721]: Accepted key", 1, 5,
     "Feb  5 17:32:18", "", "sshd[4721]: Accepted key", true},
    {"RFC 3164 host name and nothing else", "<13>Feb  5 17:32:18 lonely", 1, 5, "Feb  5 17:32:18",
     "", "lonely", true},
    {"util-linux logger --rfc3164", "<156>Dec  9 23:23:26 vm mytag: hello w\xc3\xb6rld", 19, 4,
     "Dec  9 23:23:26", "vm", QStringLiteral(u"mytag: hello wörld"), true},
    {"util-linux logger --rfc5424 (structured data kept in front)",
     "<156>1 2026-12-09T23:23:26.764219+00:00 vm mytag - - [timeQuality tzKnown=\"1\" "
     "isSynced=\"0\"] hello w\xc3\xb6rld",
     19, 4, "2026-12-09T23:23:26.764219+00:00", "vm",
     QStringLiteral(u"[timeQuality tzKnown=\"1\" isSynced=\"0\"] hello wörld"), true},
    {"util-linux logger --rfc5424=notime,nohost", "<156>1 - - mytag - - - hello", 19, 4, "", "",
     "hello", true},
    {"RFC 5424 example with BOM",
     "<34>1 2003-10-11T22:14:15.003Z mymachine.example.com su - ID47 - \xEF\xBB\xBF'su root' "
     "failed",
     4, 2, "2003-10-11T22:14:15.003Z", "mymachine.example.com", "'su root' failed", true},
    {"RFC 5424 two elements, escaped quote and bracket, no text",
     R"(<165>1 2003-08-24T05:14:15.000003-07:00 192.0.2.1 myproc 8710 - [a@1 x="q\"\]"][b@2 y="z"])",
     20, 5, "2003-08-24T05:14:15.000003-07:00", "192.0.2.1", R"([a@1 x="q\"\]"][b@2 y="z"])", true},
    {"Cisco IOS with sequence number and its own time stamp",
     "<189>52: *Mar  1 00:18:51.443: %SYS-5-CONFIG_I: Configured from console by vty0", 23, 5, "",
     "", "52: *Mar  1 00:18:51.443: %SYS-5-CONFIG_I: Configured from console by vty0", false},
    {"line feed and NUL framing dropped", Bytes("<14>Jan  1 00:00:00 h t: x\r\n\0"), 1, 6,
     "Jan  1 00:00:00", "h", "t: x", true},
    {"NUL inside the text kept", Bytes("<14>a\0b"), 1, 6, "", "", QString::fromUtf16(u"a\0b", 3),
     false},
    {"invalid UTF-8 becomes U+FFFD", "<14>\xff\xfeok", 1, 6, "", "",
     QStringLiteral(u"\uFFFD\uFFFDok"), false},
    {"no priority: defaults, whole text", "hello there", 1, 5, "", "", "hello there", false},
    {"priority out of range", "<192>Oct 11 22:14:15 h m", 1, 5, "", "", "<192>Oct 11 22:14:15 h m",
     false},
    {"priority with leading zero", "<013>x", 1, 5, "", "", "<013>x", false},
    {"unterminated priority", "<13", 1, 5, "", "", "<13", false},
    {"empty datagram", "", 1, 5, "", "", "", false},
    {"priority only", "<0>", 0, 0, "", "", "", false},
    {"RFC 5424 with broken time stays whole", "<13>1 2003-13-11T22:14:15Z h a p m - x", 1, 5, "",
     "", "1 2003-13-11T22:14:15Z h a p m - x", false},
    {"RFC 5424 with unterminated structured data", "<13>1 - h a p m [x y=\"1] z", 1, 5, "", "",
     "1 - h a p m [x y=\"1] z", false},
    {"RFC 3164 with impossible time", "<13>Oct 11 25:14:15 h m", 1, 5, "", "",
     "Oct 11 25:14:15 h m", false},
};

}  // namespace

TEST(SyslogParser, RealWorldAndBrokenMessages) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const SyslogMessage m = ParseSyslog(c.datagram);
        EXPECT_EQ(m.FacilityCode, c.facility);
        EXPECT_EQ(m.SeverityCode, c.severity);
        EXPECT_EQ(m.Facility, FacilityName(c.facility));
        EXPECT_EQ(m.Severity, SeverityName(c.severity));
        EXPECT_EQ(m.Timestamp, QString::fromUtf8(c.timestamp));
        EXPECT_EQ(m.Hostname, QString::fromUtf8(c.hostname));
        EXPECT_EQ(m.Message, c.message);
        EXPECT_EQ(m.Conforms, c.conforms);
    }
}

TEST(SyslogParser, ReadableNames) {
    EXPECT_EQ(FacilityName(0), "kernel");
    EXPECT_EQ(FacilityName(5), "syslog");
    EXPECT_EQ(FacilityName(23), "local7");
    EXPECT_EQ(SeverityName(0), "emergency");
    EXPECT_EQ(SeverityName(7), "debug");
    EXPECT_EQ(FacilityName(24), "24");
}

TEST(SyslogParser, LargestDatagramIsTakenWhole) {
    QByteArray big = "<13>" + QByteArray(65507 - 4, 'x');
    const SyslogMessage m = ParseSyslog(big);
    EXPECT_EQ(m.Message.size(), 65503);
}

// What the component sends reads back as sent, with the time and the text intact.
TEST(SyslogFormat, SentMessagesParseBack) {
    const QDateTime when(QDate(2026, 12, 9), QTime(23, 5, 7, 123), QTimeZone(7 * 3600));
    struct Send {
        int facility, severity;
        QString text, host;
        const char* wantHost;
    } sends[] = {
        {5, 7, QStringLiteral(u"1 > > Test send syslog message successfully."), "pc-1", "pc-1"},
        {23, 0, QStringLiteral(u"ไทย [not sd] \u00e9"), "", ""},
        {0, 3, QString(), QStringLiteral(u"host with blanks ü"), "hostwithblanks"},
        {1, 6, QStringLiteral("- leading dash"), "h", "h"},
    };
    for (const Send& s : sends) {
        SCOPED_TRACE(s.text.toStdString());
        const QByteArray d = FormatSyslog(s.facility, s.severity, s.text, when, s.host,
                                          QStringLiteral("Network-Tool"), 4242);
        const SyslogMessage m = ParseSyslog(d);
        EXPECT_TRUE(m.Conforms) << d.constData();
        EXPECT_EQ(m.FacilityCode, s.facility);
        EXPECT_EQ(m.SeverityCode, s.severity);
        EXPECT_EQ(m.Timestamp, "2026-12-09T23:05:07.123+07:00");
        EXPECT_EQ(m.Hostname, s.wantHost);
        EXPECT_EQ(m.Message, s.text);
    }
}
