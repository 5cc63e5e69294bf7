#pragma once

#include <QByteArrayView>
#include <QString>

// One received syslog datagram taken apart. Pure: no sockets, no clock, so it can be fuzzed.
struct SyslogMessage {
    int FacilityCode = 1;  // without a usable priority: user-level, notice (RFC 3164 default)
    int SeverityCode = 5;
    QString Facility;  // readable names of the two codes
    QString Severity;
    QString Timestamp;      // as written in the header; empty when there is none
    QString Hostname;       // empty when the header names none
    QString Message;        // RFC 5424: structured data (when present), a blank, then the text
    bool Conforms = false;  // a complete RFC 3164 or RFC 5424 header was found
};

// Takes apart a datagram in RFC 5424 or RFC 3164 form. Anything else is still a message: the
// codes come from a valid priority when there is one (else the defaults above) and the text
// after it is the message. Text is UTF-8; invalid bytes become U+FFFD. Never fails.
SyslogMessage ParseSyslog(QByteArrayView datagram);

// Readable names: "kernel", "user", ... "local7"; "emergency" ... "debug". Out of range: the
// number.
QString FacilityName(int code);
QString SeverityName(int code);
